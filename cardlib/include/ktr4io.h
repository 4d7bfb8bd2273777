/*
 * ktr4io - the driver interface through which ktr4 reaches a KTR4 card.
 *
 * Written for someone writing a driver for real hardware: the reference comments below state
 * each operation's contract (they are also the source of the reference pages).
 */
#ifndef KTR4IO_H
#define KTR4IO_H

#include <stdint.h>

#include "ktr4.h" /* KTR4_CALL */

#ifdef __cplusplus
extern "C" {
#endif

/**
 * @defgroup driver Driver interface (ktr4io.h)
 * A driver library (a real card's driver, the simulated card, or a test driver) plugs in
 * through exactly these operations. On POSIX it exports them as the plain C functions below
 * and ktr4 loads the file named by KTR4IO_LIBRARY (default: libktr4sim.so beside libktr4); on
 * Windows ktr4 loads KTR4IO.dll and resolves each operation by the ordinal given with it
 * (__stdcall on 32-bit Windows). A library lacking any operation is refused (KTR4_initial
 * returns KTR4_ERR_DRIVER_OPERATION).
 *
 * Every operation returns an int32_t: 0 = success, any other value is a failure code that ktr4
 * hands to its caller unchanged (the first failure of an export is the one returned). Keep
 * your codes away from the library's own (100, 102, 300..313, 900, 901) so that callers can
 * tell them apart; 1000 and above is a good place. An operation that fails must not write
 * its output: ktr4 then leaves its caller's variable untouched.
 *
 * Threads: ktr4 calls the operations one at a time, under its library lock, from the thread
 * that called an export, from its 20 ms pulser follower thread or from an interrupt service
 * thread. Only the event signalling of interrupts (ktr4io_set_interrupt) comes from the
 * driver's own threads, concurrently with those calls.
 *
 * Card model, in short: four axes with 32-bit registers addressed by an 8-bit code (write codes
 * 0x80..0xAC, read codes = write code + 0x40, read-only codes 0xEE and 0xF1..0xF5), two 16-bit
 * status ports per axis (main status at port offset axis * 8, sub-status at axis * 8 + 2) and
 * a command port at offset 0 (high byte: axis bit set, bit n = axis n; low byte: command code).
 * In the main status, bit 3 (0x0008) means the axis is stopped and bit 14 (0x4000) that its
 * continuous buffer is full; bits 8 and 9 are the soft limit flags and bit 12 the compare
 * flag. Bits 3-6 of axis 0's sub-status word are the card number switch, inverted.
 * @{
 */

/** Device-type code ktr4 passes to ktr4io_find_cards to select this card model. */
#define KTR4IO_DEVICE_TYPE 0x4B34u

/** Size of the card information record filled by ktr4io_card_info; ktr4 reads the 16-bit word at bytes 4-5. */
#define KTR4IO_INFO_RECORD_SIZE 76
/** Size of the open record of ktr4io_open_card: byte 0 open flag (1 open, 0 close); bytes 4-7 a word for the driver. */
#define KTR4IO_OPEN_RECORD_SIZE 8
/**
 * Size of the interrupt status block of ktr4io_read_interrupt_status, little-endian: byte 0 a
 * 2-bit field per axis (axis n in bits 2n, 2n+1); bytes 2-9 four u16 cause words, axis 0
 * first (bits 5 and 4 are used, see ktr4io_read_interrupt_status); bytes 12-27 four u32 event
 * status words; bytes 28-43 four further u32 words, axis 0 first.
 */
#define KTR4IO_INTERRUPT_STATUS_SIZE 44

/**
 * Interrupt record passed by address to ktr4io_set_interrupt.
 *
 * event_slot is the address of the card's event slot inside ktr4 (a KTR4_EVENT, see ktr4.h);
 * it stays valid for the life of the process and carries no value when disabling. To signal a
 * card's interrupt a driver signals the event held in that slot: on Windows SetEvent, elsewhere
 * it writes the 8-byte value 1 to the eventfd. ktr4 stores a new event into the slot with an
 * atomic release store while the driver may be signalling from another thread, so a driver
 * reads the slot with an atomic acquire load each time it signals (C11/C++ atomics,
 * __atomic_load_n(slot, __ATOMIC_ACQUIRE), or on Windows
 * InterlockedCompareExchangePointer(slot, NULL, NULL)), never a plain read. On 32-bit Windows
 * the record is packed and event_slot is a 32-bit address.
 */
#if defined(_WIN32) && !defined(_WIN64)
#pragma pack(push, 1)
typedef struct ktr4io_interrupt_record {
    uint32_t event_slot; /* address of the HANDLE slot */
    uint8_t zero;
    uint8_t enable; /* 1 enable, 0 disable */
} ktr4io_interrupt_record;
#pragma pack(pop)
#else
typedef struct ktr4io_interrupt_record {
    void* event_slot; /* points at a KTR4_EVENT */
    uint8_t zero;
    uint8_t enable; /* 1 enable, 0 disable */
} ktr4io_interrupt_record;
#endif

/**
 * @brief Ordinal 1: reports every card of this model and a handle for each.
 *
 * Called by each KTR4_initial. ktr4 then reads each card's number switch (axis 0 sub-status)
 * with ktr4io_read_port16 and opens it with ktr4io_open_card. Handles are the driver's own
 * values, passed back unchanged to every other operation; 0xFFFFFFFF must not be used.
 *
 * @param device_type KTR4IO_DEVICE_TYPE; a driver for another model reports no card.
 * @param handles Out: one handle per card, in the driver's order (at most 16).
 * @param count Out: the number of cards, 0..16 (a larger count is treated as 16).
 * @retval 0 the cards are reported (0 cards is a success).
 * @retval other failure: KTR4_initial returns the code and registers no card.
 */
int32_t KTR4_CALL ktr4io_find_cards(uint16_t device_type, uint32_t handles[16], uint8_t* count);

/**
 * @brief Ordinal 2: fills the card's information record.
 *
 * @param handle The card's handle.
 * @param record Out: KTR4IO_INFO_RECORD_SIZE bytes; ktr4 reports the 16-bit little-endian word at
 *   bytes 4-5 through KTR4_info and gives it no meaning of its own.
 * @retval 0 the record is filled.
 * @retval other failure; KTR4_info returns it and leaves its caller's word untouched.
 */
int32_t KTR4_CALL ktr4io_card_info(uint32_t handle, void* record);

/**
 * @brief Ordinal 3: opens (record byte 0 = 1) or closes (byte 0 = 0) the card.
 *
 * KTR4_initial opens each card it registers; KTR4_close closes each open card. The record stays
 * at the same address for the life of the process; bytes 4-7 are the driver's to use. ktr4
 * does not expect closing to stop the axes (KTR4_close leaves moves running).
 *
 * @param handle The card's handle.
 * @param open_record KTR4IO_OPEN_RECORD_SIZE bytes as above.
 * @retval 0 done.
 * @retval other failure, passed to the caller of KTR4_initial or KTR4_close.
 */
int32_t KTR4_CALL ktr4io_open_card(uint32_t handle, void* open_record);

/**
 * @brief Ordinal 4: enables or disables the card's interrupt.
 *
 * While enabled, the driver signals the event in the record's event slot whenever the card
 * interrupts (see ktr4io_interrupt_record); while disabled it signals nothing.
 *
 * @param handle The card's handle.
 * @param interrupt_record A ktr4io_interrupt_record: enable 1 with a valid event slot, or enable 0.
 * @retval 0 done.
 * @retval other failure, passed to the caller of KTR4_enable_IRQ or KTR4_disable_IRQ.
 */
int32_t KTR4_CALL ktr4io_set_interrupt(uint32_t handle, void* interrupt_record);

/**
 * @brief Ordinal 5: hands over the card's pending interrupt status and clears it.
 *
 * Called by the interrupt service thread after each signal and by KTR4_read_INT_status. An axis
 * reaches the application's callback when its cause word has bit 5 set, or bit 4 set and its
 * event status word meets the axis's interrupt source (KTR4_set_INT_source).
 *
 * @param handle The card's handle.
 * @param status_block Out: KTR4IO_INTERRUPT_STATUS_SIZE bytes, layout as given there.
 * @retval 0 the block is filled.
 * @retval other failure; nothing is written.
 */
int32_t KTR4_CALL ktr4io_read_interrupt_status(uint32_t handle, void* status_block);

/**
 * @brief Ordinal 6: resets the card's interrupt (clears what is pending).
 *
 * Called by KTR4_disable_IRQ before the interrupt is disabled.
 *
 * @param handle The card's handle.
 * @param card The card's number (0..15), as set on its switch.
 * @retval 0 done.
 * @retval other failure, passed to the caller of KTR4_disable_IRQ.
 */
int32_t KTR4_CALL ktr4io_reset_interrupt(uint32_t handle, uint32_t card);

/**
 * @brief Ordinal 12: reads a 16-bit port of the card.
 *
 * ktr4 reads the status ports: main status at offset axis * 8, sub-status at axis * 8 + 2.
 *
 * @param handle The card's handle.
 * @param offset Port offset in bytes.
 * @param word Out: the port's word; not written on failure.
 * @retval 0 done.
 * @retval other failure (for example an offset the card does not have).
 */
int32_t KTR4_CALL ktr4io_read_port16(uint32_t handle, uint16_t offset, uint16_t* word);

/**
 * @brief Ordinal 22: writes a 16-bit word to a port of the card; offset 0 takes commands.
 *
 * A command word's high byte is the axis bit set (bit n = axis n), its low byte the command
 * code. Commands ktr4 sends: 0x05 emergency stop, 0x06 CSTA pulse, 0x07 CSTP pulse, 0x2A wait
 * for CSTA, 0x10..0x1F, 0x24, 0x25 output points, 0x49 immediate stop, 0x4A decelerating stop,
 * 0x51 start pulser motion, 0x53 start the move the axis's registers describe. Commands return
 * at once; the card carries them out.
 *
 * @param handle The card's handle.
 * @param offset Port offset in bytes (ktr4 writes only offset 0).
 * @param word The word.
 * @retval 0 done.
 * @retval other failure: the command was not given.
 */
int32_t KTR4_CALL ktr4io_write_port16(uint32_t handle, uint16_t offset, uint16_t word);

/**
 * @brief Ordinal 50: reads one 32-bit register of an axis by its read code.
 *
 * @param handle The card's handle.
 * @param axis Axis 0..3.
 * @param code Read code: a write code + 0x40 (0xC0..0xEC), or a read-only code 0xEE, 0xF1..0xF5.
 * @param value Out: the register; not written on failure.
 * @retval 0 done.
 * @retval other failure (for example an axis or code the card does not have).
 */
int32_t KTR4_CALL ktr4io_read_register(uint32_t handle, uint16_t axis, uint16_t code, uint32_t* value);

/**
 * @brief Ordinal 51: writes one 32-bit register of an axis by its write code.
 *
 * Codes 0x80..0x8A are the buffer (pre-register) twins of 0x90..0x9A used in continuous mode:
 * the card takes them over when the running move ends.
 *
 * @param handle The card's handle.
 * @param axis Axis 0..3.
 * @param code Write code 0x80..0xAC.
 * @param value The value.
 * @retval 0 done.
 * @retval other failure: the register keeps its value.
 */
int32_t KTR4_CALL ktr4io_write_register(uint32_t handle, uint16_t axis, uint16_t code, uint32_t value);

/** @} */

#ifdef __cplusplus
}
#endif

#endif /* KTR4IO_H */
