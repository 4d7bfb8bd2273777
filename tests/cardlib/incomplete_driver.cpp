// A driver library that lacks operation 51 (register write): ktr4 must refuse to bind it.
#include <cstdint>

#define OP extern "C" __attribute__((visibility("default"))) int32_t

OP ktr4io_find_cards(uint16_t, uint32_t*, uint8_t* count)
{
    *count = 0;
    return 0;
}
OP ktr4io_card_info(uint32_t, void*)
{
    return 0;
}
OP ktr4io_open_card(uint32_t, void*)
{
    return 0;
}
OP ktr4io_set_interrupt(uint32_t, void*)
{
    return 0;
}
OP ktr4io_read_interrupt_status(uint32_t, void*)
{
    return 0;
}
OP ktr4io_reset_interrupt(uint32_t, uint32_t)
{
    return 0;
}
OP ktr4io_read_port16(uint32_t, uint16_t, uint16_t*)
{
    return 0;
}
OP ktr4io_write_port16(uint32_t, uint16_t, uint16_t)
{
    return 0;
}
OP ktr4io_read_register(uint32_t, uint16_t, uint16_t, uint32_t*)
{
    return 0;
}
