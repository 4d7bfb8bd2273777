// Base of the window tests' classes: the window under test and its controls found by name.
#pragma once

#include "support/form_controls.h"
#include "window/form1.h"

#include <QObject>
#include <memory>

namespace tessa::testing {

class FormTest : public QObject {
protected:
    std::unique_ptr<Form1> form;

    template <typename T>
    T* child(const QString& name)
    {
        return control<T>(*form, name);
    }
    template <typename T>
    T* child(const char* name)
    {
        return control<T>(*form, QString::fromLatin1(name));
    }
    template <typename T>
    T* element(const char* name, int index)
    {
        return controlElement<T>(*form, QString::fromLatin1(name), index);
    }
};

}  // namespace tessa::testing
