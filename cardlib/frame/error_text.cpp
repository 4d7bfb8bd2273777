// Result codes as text (KTR4_error_text) and why the driver did not load (KTR4_driver_load_error).
#include <cstdio>
#include <cstring>

#include "driver_binding.h"
#include "export_call.h"
#include "ktr4.h"

namespace {

struct CodeText {
    int32_t code;
    const char* text;
};

// Every code an export can return: the library's own, the loader's, and the failure codes of
// the simulated card driver, which reach callers unchanged like any driver's codes.
constexpr CodeText kTexts[] = {
    {KTR4_OK, "success"},
    {KTR4_ERR_NOT_INITIALISED, "no card with this number was found by KTR4_initial (or the library was closed)"},
    {KTR4_ERR_DUPLICATE_CARD, "two cards are set to the same card number"},
    {KTR4_ERR_CARD, "card number out of range (0..15)"},
    {KTR4_ERR_AXIS, "axis number out of range (0..3)"},
    {KTR4_ERR_RANGE, "an argument is outside its allowed range"},
    {KTR4_ERR_MOVING, "the axis is still moving"},
    {KTR4_ERR_BUFFER_FULL, "the continuous-move buffer is full"},
    {KTR4_ERR_CHANGE_REFUSED, "the change is refused: no suitable move is running"},
    {KTR4_ERR_CONTINUOUS_MIX, "the axes of the interpolation differ in continuous mode"},
    {KTR4_ERR_ARC_GEOMETRY,
     "arc geometry: the arc could not be run as given; a straight line to its end point was run instead"},
    {KTR4_ERR_FILE, "the configuration file cannot be opened, read or written"},
    {KTR4_ERR_CIRCLE_GEOMETRY, "circle geometry error: the three points lie on one line"},
    {KTR4_ERR_FILE_SIZE, "the configuration file is shorter than a configuration record"},
    {KTR4_ERR_THREAD, "the system refused a thread or event the library needs"},
    {KTR4_ERR_DRIVER_LOAD, "the card driver library could not be loaded (see KTR4_driver_load_error)"},
    {KTR4_ERR_DRIVER_OPERATION, "the card driver library lacks an operation (see KTR4_driver_load_error)"},
    {1001, "simulated card driver: no simulated card has this handle"},
    {1002, "simulated card driver: axis number above 3"},
    {1003, "simulated card driver: the card has no such register or port"},
    {1004, "simulated card driver: the card's interrupt is not enabled"},
    {1005, "simulated card driver: a value out of its range or contradicting another"},
    {1006, "simulated card driver: the machine file was refused"},
};

}  // namespace

extern "C" {

KTR4_API const char* KTR4_CALL KTR4_error_text(int32_t code)
{
    for (const CodeText& entry : kTexts)
        if (entry.code == code)
            return entry.text;
    // One buffer per thread: no lock, and a text stays valid while other threads ask.
    thread_local char unknown[80];
    std::snprintf(unknown, sizeof unknown, "unknown result code %d (not a ktr4 code; perhaps the driver's own)",
                  static_cast<int>(code));
    return unknown;
}

KTR4_API int32_t KTR4_CALL KTR4_driver_load_error(char* text, uint32_t size)
{
    ktr4::ExportCall call;
    if (text == nullptr || size == 0)
        return KTR4_ERR_RANGE;
    const std::string& reason = ktr4::driver_load_failure();
    const size_t length = reason.size() < size ? reason.size() : size - 1;
    std::memcpy(text, reason.data(), length);
    text[length] = '\0';
    return length == reason.size() ? KTR4_OK : KTR4_ERR_RANGE;
}

}  // extern "C"
