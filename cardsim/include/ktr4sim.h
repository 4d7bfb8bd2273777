/*
 * ktr4sim - control interface of the simulated KTR4 card driver (libktr4sim).
 *
 * The reference comments below are also the source of the reference pages.
 */
#ifndef KTR4SIM_H
#define KTR4SIM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/**
 * @defgroup sim The simulated card (ktr4sim.h)
 * The simulator is a driver library (see ktr4io.h) that ktr4 loads like any other, by default
 * (libktr4sim.so beside libktr4). Its card really moves: a start command runs the move the
 * axis's registers describe, and the counters, speed and status flags follow it. Programs use
 * it unchanged; tests and tools also use the functions below to set up cards, set status and
 * input bits, make driver operations fail, and read back a trace of every driver call. ktr4
 * itself never calls them.
 *
 * Cards are addressed here by their slot: the position in which ktr4io_find_cards reports them
 * (0 = first). Environment variables, read when the simulator loads (or at ktr4sim_reset):
 * - KTR4SIM_CARDS: the cards present, a comma-separated list of card number switch settings in
 *   slot order ("0,3"; duplicates allowed; "" or "none" for no card); default one card with
 *   switch 0.
 * - KTR4SIM_SCOPE: set (to anything) to publish the live state for ktr4-scope (see
 *   ktr4sim_scope.h).
 * - KTR4SIM_RECORD=file: record the run to that file, for ktr4-plot FILE to draw.
 *
 * The simulated card has no HOME sensor until ktr4sim_set_home gives an axis one, so an origin
 * return runs until it is stopped.
 *
 * Its own failure codes (also given as text by KTR4_error_text) follow.
 * @{
 */

/** No simulated card has this handle or slot. */
#define KTR4SIM_ERR_HANDLE 1001
/** Axis number above 3. */
#define KTR4SIM_ERR_AXIS 1002
/** A register code or port offset the card does not have (or a trace index past the end). */
#define KTR4SIM_ERR_CODE 1003
/** The card's interrupt is not enabled: nothing was signalled. */
#define KTR4SIM_ERR_DISABLED 1004

/** Port of ktr4sim_set_status: the axis's main status word. */
#define KTR4SIM_MAIN_STATUS 0
/** Port of ktr4sim_set_status: the axis's sub-status word. */
#define KTR4SIM_SUB_STATUS 1

/** One driver call as the simulator saw it (ktr4sim_trace_get). */
typedef struct ktr4sim_call {
    uint32_t operation; /* driver operation: 1, 2, 3, 4, 5, 6, 12, 22, 50 or 51 */
    uint32_t handle; /* card handle (op 1: 0) */
    uint32_t a; /* op 1: device type; 12/22: port offset; 50/51: axis; 3: open flag; 6: card */
    uint32_t b; /* op 50/51: register code */
    uint32_t value; /* op 1: count; 12/22: word; 50: value read; 51: value written */
    int32_t result; /* what the operation returned */
} ktr4sim_call;

/**
 * @brief Back to the power-on state: cards from KTR4SIM_CARDS, registers 0, every axis stopped, no failure armed, trace
 * empty and recording.
 */
void ktr4sim_reset(void);

/**
 * @brief Presents count cards with these switch settings, in slot order, each in its power-on state.
 *
 * @param switches Card number switch settings 0..15, one per slot.
 * @param count Number of cards; more than 16 count as 16.
 */
void ktr4sim_set_cards(const uint8_t* switches, uint32_t count);

/**
 * @brief The handle the driver gives the card in a slot.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @retval handle the handle; 0xFFFFFFFF when there is no such slot.
 */
uint32_t ktr4sim_handle(uint32_t slot);

/**
 * @brief Whether the card was opened (ktr4io_open_card with flag 1) and not closed since.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @retval 1 open.
 * @retval 0 closed.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 */
int32_t ktr4sim_is_open(uint32_t slot);

/**
 * @brief Sets the 16-bit word ktr4io_card_info reports at bytes 4-5 (KTR4_info); 0x0100 after reset.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param word The word.
 */
void ktr4sim_set_info_word(uint32_t slot, uint16_t word);

/**
 * @brief Sets a register as the card would show it on its next read.
 *
 * Registers are named by the code they are read with (write code + 0x40, or the read-only codes 0xEE, 0xF1..0xF5).
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param read_code The register's read code.
 * @param value The value.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_CODE no such register.
 */
int32_t ktr4sim_set_register(uint32_t slot, uint32_t axis, uint32_t read_code, uint32_t value);

/**
 * @brief Reads a register by its read code, without a driver call.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param read_code The register's read code.
 * @param value Out: the value.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_CODE no such register.
 */
int32_t ktr4sim_get_register(uint32_t slot, uint32_t axis, uint32_t read_code, uint32_t* value);

/**
 * @brief Sets an axis's status port word.
 *
 * In the axis-0 sub-status word, bits 3-6 always show the inverted card number switch.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param port KTR4SIM_MAIN_STATUS or KTR4SIM_SUB_STATUS.
 * @param word The word.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_CODE no such port.
 */
int32_t ktr4sim_set_status(uint32_t slot, uint32_t axis, uint32_t port, uint16_t word);

/**
 * @brief Reads an axis's status port word, without a driver call.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param port KTR4SIM_MAIN_STATUS or KTR4SIM_SUB_STATUS.
 * @param word Out: the word.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_CODE no such port.
 */
int32_t ktr4sim_get_status(uint32_t slot, uint32_t axis, uint32_t port, uint16_t* word);

/**
 * @brief Raises an interrupt for an axis, as the card would.
 *
 * The card keeps a pending status block (the layout of ktr4io.h) that ktr4io_read_interrupt_status hands over and
 * clears and ktr4io_reset_interrupt clears. Raising sets the axis's 2-bit field to 1, ORs cause into its cause word and
 * event_word into its event status and last words, then signals the card's event. When a move ends on an axis whose
 * event factor has bit 0 set, the card does this by itself with cause 0x0010 and event word 0x0001.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param cause Bits for the cause word (bit 5, or bit 4 with an event).
 * @param event_word Bits for the event status word.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_DISABLED the card's interrupt is not enabled: nothing was signalled.
 */
int32_t ktr4sim_raise_interrupt(uint32_t slot, uint32_t axis, uint16_t cause, uint32_t event_word);

/**
 * @brief Whether the card's interrupt is enabled (ktr4io_set_interrupt).
 *
 * @param slot Card slot, 0 = the first card reported.
 * @retval 1 enabled.
 * @retval 0 disabled, or no such slot.
 */
int32_t ktr4sim_interrupt_enabled(uint32_t slot);

/**
 * @brief Makes a driver operation fail, for tests of failure handling.
 *
 * After skip further calls that succeed, the next count calls fail. Calls still fail after their arguments have been
 * recorded, and a failing read delivers nothing.
 *
 * @param operation Driver operation by ordinal: 1, 2, 3, 4, 5, 6, 12, 22, 50 or 51.
 * @param code The failure code to return.
 * @param skip Calls that succeed first.
 * @param count Calls that fail; negative: every call from then on.
 */
void ktr4sim_fail(uint32_t operation, int32_t code, uint32_t skip, int32_t count);

/**
 * @brief Disarms every failure armed by ktr4sim_fail.
 */
void ktr4sim_clear_failures(void);

/**
 * @brief Switches the trace of driver calls on or off (benchmarks switch it off).
 *
 * Recording stops by itself after ktr4sim_trace_capacity() calls.
 *
 * @param on 1 record, 0 not.
 */
void ktr4sim_trace_enable(int32_t on);

/**
 * @brief Empties the trace.
 */
void ktr4sim_trace_clear(void);

/**
 * @brief Number of driver calls in the trace.
 *
 * @retval n the number.
 */
uint32_t ktr4sim_trace_size(void);

/**
 * @brief Number of calls the trace holds at most.
 *
 * @retval n the number.
 */
uint32_t ktr4sim_trace_capacity(void);

/**
 * @brief Copies one traced call.
 *
 * @param index 0 = the oldest.
 * @param call Out: the call.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_CODE index past the end.
 */
int32_t ktr4sim_trace_get(uint32_t index, ktr4sim_call* call);

/** Ticks of the card's 19 660 800 Hz reference clock per second: the simulator's unit of time. */
#define KTR4SIM_TICKS_PER_SECOND 19660800u
/**
 * @brief Switches between wall-clock time and a virtual clock that stands still until ktr4sim_advance moves it.
 *
 * By default the card's time is wall-clock time since the last reset. With the virtual clock
 * tests and tools are exact and fast.
 *
 * @param on 1 virtual clock, 0 wall clock.
 * @par Example
 * @code
 * uint8_t stopped = 0;
 * ktr4sim_use_virtual_clock(1);
 * // 1000 pulses at a constant 1000 pps: one simulated second
 * KTR4_TR_position_move(0, 2, 1000, 1000, 1000, 0.0, 0.0);
 * ktr4sim_advance(2 * KTR4SIM_TICKS_PER_SECOND);   // returns at once
 * KTR4_read_motion_status(0, 2, 0, &stopped);
 * ktr4sim_use_virtual_clock(0);
 * return stopped ? 0 : 1;
 * @endcode
 */
void ktr4sim_use_virtual_clock(int32_t on);

/**
 * @brief Moves the virtual clock forward, running every move for that time.
 *
 * @param ticks Ticks of KTR4SIM_TICKS_PER_SECOND.
 */
void ktr4sim_advance(uint64_t ticks);

/**
 * @brief The card's present time, in ticks since reset.
 *
 * @retval ticks the time.
 */
uint64_t ktr4sim_now(void);

/**
 * @brief Switches motion off (the card is then a plain register store that ignores commands) or on (after reset).
 *
 * @param on 1 motion, 0 none.
 */
void ktr4sim_set_motion(int32_t on);

/**
 * @brief Gives an axis a HOME sensor at a position, or removes it.
 *
 * An origin return (KTR4_start_homing) stops when the command position reaches position; without a sensor it runs until
 * it is stopped.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param present 1 a sensor, 0 none.
 * @param position Sensor position, pulses.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 */
int32_t ktr4sim_set_home(uint32_t slot, uint32_t axis, int32_t present, int32_t position);

/**
 * @brief Turns the axis's pulser (hand wheel) by some pulses.
 *
 * They count in its pulser counter and, while the axis is in pulser motion (KTR4_run_pulser_Vmove,
 * KTR4_run_pulser_Pmove), move it at once; a pulser position move stays between its start and its end.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param pulses Pulses, negative the other way.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 */
int32_t ktr4sim_pulser_input(uint32_t slot, uint32_t axis, int32_t pulses);

/**
 * @brief Whether a move drives the axis.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @retval 1 moving.
 * @retval 0 standing.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 */
int32_t ktr4sim_is_moving(uint32_t slot, uint32_t axis);

/**
 * @brief Tick at which the last move of the axis ended.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @retval tick the tick; -1 when none ended since reset (or no such slot or axis).
 */
int64_t ktr4sim_stop_tick(uint32_t slot, uint32_t axis);

/** @} */

/* The live scope (KTR4SIM_SCOPE): its shared-memory segment and sequence lock are in
 * ktr4sim_scope.h. */

#ifdef __cplusplus
}
#endif

#endif /* KTR4SIM_H */
