#pragma once

#include <QEvent>
#include <QObject>

#include <functional>
#include <utility>

namespace tessa {

// The one way the window routes a control's key and mouse events to its handlers (the
// controls' signals cover the rest): handler(event) runs first, and true discards the event.
// The hook lives as long as the control.
class EventHook : public QObject {
public:
    using Handler = std::function<bool(QEvent*)>;
    EventHook(QObject* watched, Handler handler)
        : QObject(watched)
        , handler_(std::move(handler))
    {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override { return handler_(event); }

private:
    Handler handler_;
};

inline void onEvents(QObject* watched, EventHook::Handler handler)
{
    new EventHook(watched, std::move(handler));
}

}  // namespace tessa
