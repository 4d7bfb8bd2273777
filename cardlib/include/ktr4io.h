/*
 * ktr4io - the driver interface through which ktr4 reaches a KTR4 card.
 *
 * A driver library (a real card's driver, the simulated card, or a test driver) plugs in
 * through exactly these operations. On POSIX it exports them as the plain C functions
 * below; ktr4 loads the file named by KTR4IO_LIBRARY (default: libktr4sim.so beside
 * libktr4). On Windows ktr4 loads KTR4IO.dll and resolves each operation by the ordinal
 * given in its comment.
 *
 * Every operation returns an int32_t: 0 = success, any other value is a failure code that
 * ktr4 passes on to its caller unchanged. A driver should keep its codes away from the
 * library's own (100, 102, 300..313, 900, 901) so that callers can tell them apart.
 */
#ifndef KTR4IO_H
#define KTR4IO_H

#include <stdint.h>

#include "ktr4.h" /* KTR4_CALL */

#ifdef __cplusplus
extern "C" {
#endif

/* Device-type code ktr4 passes to ktr4io_find_cards to select this card model. */
#define KTR4IO_DEVICE_TYPE 0x4B34u

/* Sizes of the records passed by address. */
#define KTR4IO_INFO_RECORD_SIZE 76       /* ktr4 reads the 16-bit word at bytes 4-5 */
#define KTR4IO_OPEN_RECORD_SIZE 8        /* byte 0 open flag (1 open, 0 close); bytes 4-7 driver word */
#define KTR4IO_INTERRUPT_STATUS_SIZE 44  /* see below */

/* Interrupt status block (op 5), little-endian:
 *   byte 0      2-bit field per axis (axis n in bits 2n, 2n+1)
 *   bytes 2-9   four u16 cause words, axis 0 first (bits 5 and 4 are used)
 *   bytes 12-27 four u32 event status words, axis 0 first
 *   bytes 28-43 four u32 further words, axis 0 first */

/* Interrupt record passed by address to ktr4io_set_interrupt. event_slot is the address of
 * the card's event-handle slot inside ktr4 (a KTR4_EVENT, see ktr4.h); it stays valid for the
 * life of the process, and carries no value when disabling. To signal a card's interrupt a
 * driver signals the event held in that slot: on Windows SetEvent, elsewhere it writes the
 * 8-byte value 1 to the eventfd.
 * Hand-over: ktr4 stores a new event into the slot with an atomic release store while the
 * driver may be signalling from another thread, so a driver reads the slot with an atomic
 * acquire load each time it signals (C11/C++ atomics on the slot, or
 * __atomic_load_n(slot, __ATOMIC_ACQUIRE); on Windows InterlockedCompareExchangePointer(slot,
 * NULL, NULL)), never a plain read. */
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
  void *event_slot; /* points at a KTR4_EVENT */
  uint8_t zero;
  uint8_t enable; /* 1 enable, 0 disable */
} ktr4io_interrupt_record;
#endif

/* Ordinal 1: fill one handle per card of this model and the number of cards (<= 16). */
int32_t KTR4_CALL ktr4io_find_cards(uint16_t device_type, uint32_t handles[16], uint8_t *count);
/* Ordinal 2: fill the card's information record (KTR4IO_INFO_RECORD_SIZE bytes). */
int32_t KTR4_CALL ktr4io_card_info(uint32_t handle, void *record);
/* Ordinal 3: open (record byte 0 = 1) or close (byte 0 = 0) the card. */
int32_t KTR4_CALL ktr4io_open_card(uint32_t handle, void *open_record);
/* Ordinal 4: enable or disable the card's interrupt. */
int32_t KTR4_CALL ktr4io_set_interrupt(uint32_t handle, void *interrupt_record);
/* Ordinal 5: read the interrupt status block (KTR4IO_INTERRUPT_STATUS_SIZE bytes). */
int32_t KTR4_CALL ktr4io_read_interrupt_status(uint32_t handle, void *status_block);
/* Ordinal 6: reset the card's interrupt. */
int32_t KTR4_CALL ktr4io_reset_interrupt(uint32_t handle, uint32_t card);
/* Ordinal 12: read the 16-bit word at a port offset of the card. */
int32_t KTR4_CALL ktr4io_read_port16(uint32_t handle, uint16_t offset, uint16_t *word);
/* Ordinal 22: write a 16-bit word to a port offset of the card (offset 0: commands). */
int32_t KTR4_CALL ktr4io_write_port16(uint32_t handle, uint16_t offset, uint16_t word);
/* Ordinal 50: read one 32-bit axis register by its read code. */
int32_t KTR4_CALL ktr4io_read_register(uint32_t handle, uint16_t axis, uint16_t code, uint32_t *value);
/* Ordinal 51: write one 32-bit axis register by its write code. */
int32_t KTR4_CALL ktr4io_write_register(uint32_t handle, uint16_t axis, uint16_t code, uint32_t value);

#ifdef __cplusplus
}
#endif

#endif /* KTR4IO_H */
