/*
 * ktr4sim - control interface of the simulated KTR4 card driver (libktr4sim).
 *
 * The simulator is a driver library (see ktr4io.h) that ktr4 loads like any other. Tests
 * and tools use these extra functions to set up cards, set status and input bits, make
 * driver operations fail, and read back a trace of every driver call. ktr4 itself never
 * calls them.
 *
 * Cards are addressed here by their slot: the position in which ktr4io_find_cards reports
 * them (0 = first). Which cards are present, and their card number switch settings, come
 * from the environment variable KTR4SIM_CARDS, a comma-separated list of switch settings in
 * slot order ("0,3"; duplicates allowed; "" or "none" for no card); default one card with
 * switch 0. ktr4sim_set_cards overrides it.
 *
 * Failure codes the simulated driver returns on its own:
 */
#ifndef KTR4SIM_H
#define KTR4SIM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KTR4SIM_ERR_HANDLE 1001  /* no simulated card has this handle */
#define KTR4SIM_ERR_AXIS 1002    /* axis number above 3 */
#define KTR4SIM_ERR_CODE 1003    /* register code or port offset the card does not have */
#define KTR4SIM_ERR_DISABLED 1004 /* the card's interrupt is not enabled: nothing was signalled */

/* Status ports of an axis. */
#define KTR4SIM_MAIN_STATUS 0
#define KTR4SIM_SUB_STATUS 1

/* One driver call as the simulator saw it. */
typedef struct ktr4sim_call {
  uint32_t operation; /* driver operation: 1, 2, 3, 4, 5, 6, 12, 22, 50 or 51 */
  uint32_t handle;    /* card handle (op 1: 0) */
  uint32_t a;         /* op 1: device type; 12/22: port offset; 50/51: axis; 3: open flag; 6: card */
  uint32_t b;         /* op 50/51: register code */
  uint32_t value;     /* op 1: count; 12/22: word; 50: value read; 51: value written */
  int32_t result;     /* what the operation returned */
} ktr4sim_call;

/* Back to the power-on state: cards from KTR4SIM_CARDS, registers 0, every axis stopped,
 * no failure armed, trace empty and recording. */
void ktr4sim_reset(void);
/* Present `count` cards (at most 16) with these switch settings, in slot order, each in its
 * power-on state. */
void ktr4sim_set_cards(const uint8_t *switches, uint32_t count);
/* Handle the driver gives the card in `slot` (0xFFFFFFFF when there is no such slot). */
uint32_t ktr4sim_handle(uint32_t slot);
/* Whether the card was opened (op 3 with flag 1) and not closed since. */
int32_t ktr4sim_is_open(uint32_t slot);
/* The 16-bit word ktr4io_card_info reports at bytes 4-5. */
void ktr4sim_set_info_word(uint32_t slot, uint16_t word);

/* Registers, by the code they are read with (write code + 0x40, or the read-only codes
 * 0xEE, 0xF1..0xF5). Setting one is what the card would show on its next read. */
int32_t ktr4sim_set_register(uint32_t slot, uint32_t axis, uint32_t read_code, uint32_t value);
int32_t ktr4sim_get_register(uint32_t slot, uint32_t axis, uint32_t read_code, uint32_t *value);

/* Status port words. In the axis-0 sub-status word, bits 3-6 always show the inverted card
 * number switch. */
int32_t ktr4sim_set_status(uint32_t slot, uint32_t axis, uint32_t port, uint16_t word);
int32_t ktr4sim_get_status(uint32_t slot, uint32_t axis, uint32_t port, uint16_t *word);

/* Interrupts. The card keeps a pending status block (the layout of ktr4io.h) that
 * ktr4io_read_interrupt_status hands over and clears, and ktr4io_reset_interrupt clears.
 * Raising an interrupt for an axis sets its 2-bit field to 1, ORs `cause` into its cause word
 * and `event_word` into its event status and last words, then signals the event whose slot the
 * driver was given (0), or returns KTR4SIM_ERR_DISABLED when interrupts are not enabled. */
int32_t ktr4sim_raise_interrupt(uint32_t slot, uint32_t axis, uint16_t cause, uint32_t event_word);
/* When a move ends on an axis whose event factor (0xAC) has bit 0 set, the card sets bit 0 of
 * its event flags (0xF3) and raises an interrupt with cause 0x0010 and event word 0x0001. */
int32_t ktr4sim_interrupt_enabled(uint32_t slot);

/* Make driver operation `operation` fail with `code`: after `skip` further calls that
 * succeed, the next `count` calls fail (count < 0: every call from then on). Calls still
 * fail after their arguments have been recorded, and a failing read delivers nothing. */
void ktr4sim_fail(uint32_t operation, int32_t code, uint32_t skip, int32_t count);
void ktr4sim_clear_failures(void);

/* The trace of driver calls. Recording can be switched off (benchmarks); it stops by
 * itself after ktr4sim_trace_capacity() calls. */
void ktr4sim_trace_enable(int32_t on);
void ktr4sim_trace_clear(void);
uint32_t ktr4sim_trace_size(void);
uint32_t ktr4sim_trace_capacity(void);
int32_t ktr4sim_trace_get(uint32_t index, ktr4sim_call *call);

/* Motion. A start command runs the move the axis's registers describe, as the card would,
 * and the command and feedback counters, current speed, stopped and buffer-full flags follow
 * it. Time is counted in ticks of the 19 660 800 Hz reference clock. By default the clock is
 * wall-clock time since the last reset; with the virtual clock on, time stands still until
 * ktr4sim_advance moves it, so tests and tools are exact and fast. */
#define KTR4SIM_TICKS_PER_SECOND 19660800u
void ktr4sim_use_virtual_clock(int32_t on);
void ktr4sim_advance(uint64_t ticks);
uint64_t ktr4sim_now(void);
/* Motion off: the card is a plain register store that ignores commands (on after reset). */
void ktr4sim_set_motion(int32_t on);
/* The HOME sensor of an axis: an origin return stops when the command position reaches
 * `position` (present = 0: no sensor, an origin return runs until it is stopped). */
int32_t ktr4sim_set_home(uint32_t slot, uint32_t axis, int32_t present, int32_t position);
/* Pulses turned on the axis's pulser (negative: the other way). They count in its pulser
 * counter (0xE6) and, while the axis is in pulser motion (command 0x51), move it at once: a
 * pulser velocity move (operation 0x01) takes every pulse until it is stopped; a pulser
 * position move (0x51, 0x59) stays between its start and its amount (0x90) and ends there. */
int32_t ktr4sim_pulser_input(uint32_t slot, uint32_t axis, int32_t pulses);
/* 1 while a move drives the axis. */
int32_t ktr4sim_is_moving(uint32_t slot, uint32_t axis);
/* Tick at which the last move of the axis ended (-1: none since reset). */
int64_t ktr4sim_stop_tick(uint32_t slot, uint32_t axis);

/* The live scope (KTR4SIM_SCOPE): its shared-memory segment and sequence lock are in
 * ktr4sim_scope.h. */

#ifdef __cplusplus
}
#endif

#endif /* KTR4SIM_H */
