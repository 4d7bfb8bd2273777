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
 * - KTR4SIM_MACHINE=file: the machine around the cards' axes (sensors, switches, alarm, encoder),
 *   described in a machine file (TOML; man 7 ktr4sim has the format and an example). A file that
 *   is refused is named with the reason on stderr, and the cards start without a machine.
 *
 * The simulated card has no sensor or switch until the machine file or the functions below give
 * an axis one (ktr4sim_set_home_sensor, ktr4sim_set_index, ktr4sim_set_limits, ...), so an
 * origin return without them runs until it is stopped. Sensor positions are machine positions:
 * pulses of travel since reset, which equal the command position until a program writes the
 * counter (KTR4_set_current_position relabels the counter, it does not move the sensors).
 * A signal the machine lacks reads in the status words as ktr4sim_set_status or
 * ktr4sim_set_register left it; a signal it has is shown by the machine.
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
/** A value out of its range or contradicting another (EL- not below EL+, a width of 0, ...). */
#define KTR4SIM_ERR_VALUE 1005
/** The machine file was refused (not readable, not TOML, an unknown key, a bad value); nothing of it was applied. */
#define KTR4SIM_ERR_MACHINE 1006

/** Which switches of ktr4sim_set_limits and ktr4sim_set_slowdown: the - side only. */
#define KTR4SIM_MINUS 1
/** Which switches: the + side only. */
#define KTR4SIM_PLUS 2
/** Which switches: both sides. */
#define KTR4SIM_BOTH 3

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
 * @brief Back to the power-on state: cards from KTR4SIM_CARDS with the machine of KTR4SIM_MACHINE, registers 0, every
 * axis stopped with every input off, no failure armed, trace empty and recording.
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
 * The sensor is one pulse wide, at machine position position (equal to the command position until a program writes
 * the counter): ktr4sim_set_home_sensor with width 1. An origin return in home mode 0 (KTR4_start_homing) stops there;
 * without a sensor it runs until it is stopped.
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
 * @brief Gives an axis a HOME sensor over a stretch of travel, or removes it.
 *
 * The sensor is on at machine positions position .. position + width - 1, as the card sees it
 * with HOME logic KTR4_LOGIC_NORMAL (KTR4_LOGIC_INVERTED: everywhere else). Each home mode of
 * KTR4_config_home_mode runs on it as man 7 ktr4-card says; ktr4sim_set_home is this with a
 * width of 1.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param present 1 a sensor, 0 none (position and width are then not looked at).
 * @param position First machine position of the sensor, pulses.
 * @param width Positions it covers, 1..2147483647.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_VALUE width 0 or above 2147483647.
 * @par Example
 * @code
 * // A 200-pulse HOME cam at -3000: home mode 3 stops where HOME turns off on the way back.
 * int32_t position = 0;
 * ktr4sim_use_virtual_clock(1);
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * ktr4sim_set_home_sensor(0, 0, 1, -3000, 200);
 * KTR4_config_home_mode(0, 0, KTR4_HOME_ORG_BACK, 0);
 * KTR4_start_homing(0, 0, 500, 20000, 0.1, KTR4_HOME_DIR_MINUS);
 * ktr4sim_advance(5 * KTR4SIM_TICKS_PER_SECOND);
 * KTR4_read_current_position(0, 0, &position);
 * KTR4_close();
 * ktr4sim_reset();
 * return position == -3000 + 200 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_set_home_sensor(uint32_t slot, uint32_t axis, int32_t present, int32_t position, uint32_t width);

/**
 * @brief Gives an axis's encoder an index mark (EZ), or removes it.
 *
 * EZ is on at every machine position first + k * pitch (k any whole number), one position wide,
 * as an encoder's once-per-revolution mark; KTR4_set_EZ_pin_logic inverts it. The home modes
 * that count EZ pulses count its turning on.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param present 1 a mark, 0 none.
 * @param first A machine position of the mark, pulses.
 * @param pitch Pulses from one mark to the next (one revolution), 1..2147483647.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_VALUE pitch 0 or above 2147483647.
 * @par Example
 * @code
 * // HOME at 5000, index every 1000 pulses from 250: mode 2 ends on the first EZ after HOME.
 * int32_t position = 0;
 * ktr4sim_use_virtual_clock(1);
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * ktr4sim_set_home_sensor(0, 1, 1, 5000, 100);
 * ktr4sim_set_index(0, 1, 1, 250, 1000);
 * KTR4_config_home_mode(0, 1, KTR4_HOME_ORG_EZ, 0);
 * KTR4_start_homing(0, 1, 500, 5000, 0.1, KTR4_HOME_DIR_PLUS);
 * ktr4sim_advance(10 * KTR4SIM_TICKS_PER_SECOND);
 * KTR4_read_current_position(0, 1, &position);
 * KTR4_close();
 * ktr4sim_reset();
 * return position == 5250 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_set_index(uint32_t slot, uint32_t axis, int32_t present, int32_t first, uint32_t pitch);

/**
 * @brief Places an axis's end-limit switches (EL+, EL-), or removes them.
 *
 * EL+ is on at machine positions >= plus, EL- at <= minus. A move toward an EL that turns on
 * (or is on when it starts) stops at once or decelerating as KTR4_config_EL_MODE says, with
 * error flag bit KTR4_ERROR_EL_PLUS or KTR4_ERROR_EL_MINUS; moving away from it is allowed.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param which The switches the axis then has: 0 none, KTR4SIM_MINUS, KTR4SIM_PLUS or KTR4SIM_BOTH;
 *   a side not named is removed.
 * @param minus Machine position where EL- begins, pulses (with KTR4SIM_MINUS or KTR4SIM_BOTH).
 * @param plus Machine position where EL+ begins, pulses (with KTR4SIM_PLUS or KTR4SIM_BOTH).
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_VALUE which above 3, or both switches with minus not below plus.
 * @par Example
 * @code
 * // A velocity move runs into EL+ at 8000; the error flag tells why it stopped.
 * uint32_t errors = 0;
 * int32_t position = 0;
 * ktr4sim_use_virtual_clock(1);
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * ktr4sim_set_limits(0, 2, KTR4SIM_BOTH, -8000, 8000);
 * KTR4_T_velocity_move(0, 2, 500, 10000, 0.1);
 * ktr4sim_advance(5 * KTR4SIM_TICKS_PER_SECOND);
 * KTR4_read_current_position(0, 2, &position);
 * KTR4_read_error_flag(0, 2, &errors);
 * KTR4_close();
 * ktr4sim_reset();
 * return position == 8000 && errors == KTR4_ERROR_EL_PLUS ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_set_limits(uint32_t slot, uint32_t axis, uint32_t which, int32_t minus, int32_t plus);

/**
 * @brief Places an axis's slow-down switches (SD), or removes them.
 *
 * SD is on while the axis moves + at machine positions >= plus, or - at <= minus (the SD logic
 * of KTR4_config_SD_PIN inverts it). With SD enabled there, a move slows to its start speed or
 * stops as that function's options say.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param which The switches the axis then has: 0 none, KTR4SIM_MINUS, KTR4SIM_PLUS or KTR4SIM_BOTH.
 * @param minus Machine position where the - side's zone begins, pulses.
 * @param plus Machine position where the + side's zone begins, pulses.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_VALUE which above 3, or both sides with minus not below plus.
 * @par Example
 * @code
 * // SD from 6000 on, enabled to stop: a 20000-pulse move ends decelerating past 6000, no error.
 * int32_t position = 0;
 * uint32_t errors = 1;
 * ktr4sim_use_virtual_clock(1);
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * ktr4sim_set_slowdown(0, 0, KTR4SIM_PLUS, 0, 6000);
 * KTR4_config_SD_PIN(0, 0, 1, KTR4_LOGIC_NORMAL, KTR4_SD_STOP, KTR4_SD_WHILE_ON);
 * KTR4_TR_position_move(0, 0, 20000, 500, 10000, 0.1, 0.1);
 * ktr4sim_advance(5 * KTR4SIM_TICKS_PER_SECOND);
 * KTR4_read_current_position(0, 0, &position);
 * KTR4_read_error_flag(0, 0, &errors);
 * KTR4_close();
 * ktr4sim_reset();
 * return position > 6000 && position < 20000 && errors == 0 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_set_slowdown(uint32_t slot, uint32_t axis, uint32_t which, int32_t minus, int32_t plus);

/**
 * @brief Raises the alarm of the axis's drive (the ALM input).
 *
 * A moving axis stops, at once or decelerating as KTR4_config_ALM_PIN's stop option says, with
 * error flag bit KTR4_ERROR_ALARM; a move started while the alarm is on ends at once with the
 * bit. The alarm stays on until ktr4sim_clear_alarm or the ARST output (KTR4_write_output_point
 * point KTR4_OUT_ARST on) clears it. From the first call on the axis's ALM input is wired and
 * shows in point KTR4_POINT_ALM.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @par Example
 * @code
 * uint8_t state = 0;
 * uint32_t errors = 0;
 * ktr4sim_use_virtual_clock(1);
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * KTR4_T_velocity_move(0, 3, 500, 5000, 0.1);
 * ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND);
 * ktr4sim_raise_alarm(0, 3);                 // the axis stops at once
 * KTR4_read_error_flag(0, 3, &errors);
 * KTR4_write_output_point(0, 3, KTR4_OUT_ARST, 1);  // alarm reset to the drive
 * KTR4_read_point_status(0, 3, KTR4_POINT_ALM, &state);
 * KTR4_close();
 * ktr4sim_reset();
 * return errors == KTR4_ERROR_ALARM && state == 0 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_raise_alarm(uint32_t slot, uint32_t axis);

/**
 * @brief Clears the alarm of the axis's drive (the ALM input stays wired).
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @par Example
 * @code
 * uint8_t state = 1;
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * ktr4sim_raise_alarm(0, 0);
 * ktr4sim_clear_alarm(0, 0);
 * KTR4_read_point_status(0, 0, KTR4_POINT_ALM, &state);
 * KTR4_close();
 * ktr4sim_reset();
 * return state == 0 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_clear_alarm(uint32_t slot, uint32_t axis);

/**
 * @brief Wires the axis's in-position input (INP) with a settle time, or unwires it.
 *
 * INP turns on settle_us after the last pulse of a move and off when pulses go out; its turning
 * on is event KTR4_EVENT_INP. With INP enabled (KTR4_config_INP_PIN) a move is over (stopped,
 * KTR4_EVENT_END) only when INP is on. Unwired, INP reads as set by hand and an enabled INP
 * does not delay the end.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param present 1 wired, 0 not.
 * @param settle_us Settle time, microseconds, 0..60000000.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_VALUE settle_us above 60000000.
 * @par Example
 * @code
 * // With INP enabled the axis reports stopped 20 ms after its last pulse.
 * uint8_t stopped = 0;
 * ktr4sim_use_virtual_clock(1);
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * ktr4sim_set_inp_settle(0, 0, 1, 20000);
 * KTR4_config_INP_PIN(0, 0, 1, KTR4_LOGIC_NORMAL);
 * KTR4_TR_position_move(0, 0, 100, 1000, 1000, 0.0, 0.0);  // 0.1 s
 * ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 10 + KTR4SIM_TICKS_PER_SECOND / 100);
 * KTR4_read_motion_status(0, 0, 0, &stopped);
 * int32_t early = stopped;
 * ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND / 50);
 * KTR4_read_motion_status(0, 0, 0, &stopped);
 * KTR4_close();
 * ktr4sim_reset();
 * return early == 0 && stopped == 1 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_set_inp_settle(uint32_t slot, uint32_t axis, int32_t present, uint32_t settle_us);

/**
 * @brief Places the axis's latch input (LTC) at a machine position, or removes it.
 *
 * LTC is on at that one position (KTR4_config_LTC_PIN option23 inverts it); as it turns on the
 * card latches the counter KTR4_config_LTC_PIN names into the latch register
 * (KTR4_read_FBcounter_latch_value), with event KTR4_EVENT_LATCH.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param present 1 at the position, 0 none.
 * @param position Machine position, pulses.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @par Example
 * @code
 * int32_t latched = 0;
 * ktr4sim_use_virtual_clock(1);
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * KTR4_set_current_position(0, 1, 100000);   // the counter, not the machine
 * ktr4sim_set_latch_at(0, 1, 1, 1234);
 * KTR4_config_LTC_PIN(0, 1, KTR4_LTC_COMMAND, KTR4_LOGIC_NORMAL);
 * KTR4_TR_position_move(0, 1, 5000, 500, 10000, 0.1, 0.1);
 * ktr4sim_advance(5 * KTR4SIM_TICKS_PER_SECOND);
 * KTR4_read_FBcounter_latch_value(0, 1, &latched);
 * KTR4_close();
 * ktr4sim_reset();
 * return latched == 101234 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_set_latch_at(uint32_t slot, uint32_t axis, int32_t present, int32_t position);

/**
 * @brief Pulses the axis's latch input (LTC) now, wherever the axis is.
 *
 * The card latches the counter KTR4_config_LTC_PIN names into the latch register, with event
 * KTR4_EVENT_LATCH.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @par Example
 * @code
 * int32_t latched = 0;
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * KTR4_set_FB_counter(0, 0, 777);
 * KTR4_config_LTC_PIN(0, 0, KTR4_LTC_FEEDBACK, KTR4_LOGIC_NORMAL);
 * ktr4sim_latch_now(0, 0);
 * KTR4_read_FBcounter_latch_value(0, 0, &latched);
 * KTR4_close();
 * ktr4sim_reset();
 * return latched == 777 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_latch_now(uint32_t slot, uint32_t axis);

/**
 * @brief Sets how many feedback (encoder) counts the axis gives per pulse of travel.
 *
 * The feedback counter follows the travel at this ratio (1 after reset), fractions carried
 * over; KTR4_set_pulse_inmode's option KTR4_PULSE_IN_REVERSED reverses its sign.
 *
 * @param slot Card slot, 0 = the first card reported.
 * @param axis Axis 0..3.
 * @param ratio Counts per pulse, above 0 and at most 1000.
 * @retval 0 done.
 * @retval KTR4SIM_ERR_HANDLE no card in this slot.
 * @retval KTR4SIM_ERR_AXIS axis above 3.
 * @retval KTR4SIM_ERR_VALUE ratio out of its range.
 * @par Example
 * @code
 * int32_t counts = 0;
 * ktr4sim_use_virtual_clock(1);
 * if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
 *     return 1;
 * ktr4sim_set_feedback(0, 0, 2.5);
 * KTR4_TR_position_move(0, 0, 1000, 500, 5000, 0.1, 0.1);
 * ktr4sim_advance(5 * KTR4SIM_TICKS_PER_SECOND);
 * KTR4_read_FB_counter(0, 0, &counts);
 * KTR4_close();
 * ktr4sim_reset();
 * return counts == 2500 ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_set_feedback(uint32_t slot, uint32_t axis, double ratio);

/**
 * @brief Loads a machine file: the machine around every card's axes, by card number.
 *
 * The file (TOML, described in man 7 ktr4sim) replaces the machine of every axis of every card
 * present, and of cards presented later by ktr4sim_set_cards; an axis the file does not name
 * has no signal. A file that cannot be read, is not TOML, has a key the format does not know, a
 * value out of its range or a contradiction (EL- not below EL+, a width of 0, ...) is refused
 * whole: the machine stays as it was, and message names the file, the line and the key.
 *
 * @param path The file.
 * @param message Out: why the file was refused (NUL-terminated, cut to size); "" when loaded.
 *   May be NULL.
 * @param size Bytes at message.
 * @retval 0 loaded.
 * @retval KTR4SIM_ERR_MACHINE refused; nothing of it was applied.
 * @par Example
 * @code
 * char why[256];
 * FILE* file = fopen("machine.toml", "w");
 * if (file == NULL)
 *     return 1;
 * const char* lines[] = {"[card.0.axis.0]", "el_plus = 1000", "el_minus = 2000"};
 * for (int i = 0; i < 3; ++i)
 *     fprintf(file, "%s%c", lines[i], 10);  // one a line
 * fclose(file);
 * int32_t rc = ktr4sim_load_machine("machine.toml", why, sizeof why);
 * remove("machine.toml");
 * // machine.toml:3: card.0.axis.0.el_minus: must lie below el_plus (2000 is not below 1000)
 * return rc == KTR4SIM_ERR_MACHINE && strstr(why, ":3: card.0.axis.0.el_minus") != NULL ? 0 : 1;
 * @endcode
 */
int32_t ktr4sim_load_machine(const char* path, char* message, uint32_t size);

/**
 * @brief Removes the machine: no axis of any card has a sensor, switch, alarm input or INP any more, and every encoder
 * ratio is 1.
 */
void ktr4sim_unload_machine(void);

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
