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
 *   ktr4sim_scope_segment).
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
  uint32_t handle;    /* card handle (op 1: 0) */
  uint32_t a;         /* op 1: device type; 12/22: port offset; 50/51: axis; 3: open flag; 6: card */
  uint32_t b;         /* op 50/51: register code */
  uint32_t value;     /* op 1: count; 12/22: word; 50: value read; 51: value written */
  int32_t result;     /* what the operation returned */
} ktr4sim_call;

/**
 * @brief Back to the power-on state: cards from KTR4SIM_CARDS, registers 0, every axis stopped, no failure armed, trace empty and recording.
 */
void ktr4sim_reset(void);

/**
 * @brief Presents count cards with these switch settings, in slot order, each in its power-on state.
 *
 * @param switches Card number switch settings 0..15, one per slot.
 * @param count Number of cards; more than 16 count as 16.
 */
void ktr4sim_set_cards(const uint8_t *switches, uint32_t count);

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
int32_t ktr4sim_get_register(uint32_t slot, uint32_t axis, uint32_t read_code, uint32_t *value);

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
int32_t ktr4sim_get_status(uint32_t slot, uint32_t axis, uint32_t port, uint16_t *word);

/**
 * @brief Raises an interrupt for an axis, as the card would.
 *
 * The card keeps a pending status block (the layout of ktr4io.h) that ktr4io_read_interrupt_status hands over and clears and ktr4io_reset_interrupt clears. Raising sets the axis's 2-bit field to 1, ORs cause into its cause word and event_word into its event status and last words, then signals the card's event. When a move ends on an axis whose event factor has bit 0 set, the card does this by itself with cause 0x0010 and event word 0x0001.
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
 * After skip further calls that succeed, the next count calls fail. Calls still fail after their arguments have been recorded, and a failing read delivers nothing.
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
int32_t ktr4sim_trace_get(uint32_t index, ktr4sim_call *call);

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
 * An origin return (KTR4_start_homing) stops when the command position reaches position; without a sensor it runs until it is stopped.
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
 * They count in its pulser counter and, while the axis is in pulser motion (KTR4_run_pulser_Vmove, KTR4_run_pulser_Pmove), move it at once; a pulser position move stays between its start and its end.
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

/* Live scope. When the environment variable KTR4SIM_SCOPE is set (to anything) as the
 * simulator loads, a publisher thread writes the live state of every card and axis, 100 times
 * a second, to the POSIX shared-memory segment named KTR4SIM_SCOPE_PREFIX followed by the
 * process id in decimal ("/ktr4sim-scope-4711", i.e. /dev/shm/ktr4sim-scope-4711 on Linux).
 * In wall-clock mode the publisher also brings the model up to the present, so the card
 * moves while the program makes no call. Unset, there is no thread and no segment.
 *
 * The segment is one ktr4sim_scope_segment, removed when the process ends normally. A reader
 * that finds a segment whose process is gone (kill(pid, 0) fails with ESRCH) may remove it.
 *
 * It keeps the last KTR4SIM_SCOPE_SLOTS publications (0.64 s), so a reader that is late misses
 * none: publication n (counted from 1) goes to ring[n % KTR4SIM_SCOPE_SLOTS], and `latest`
 * names the newest whole one. Each slot has its own sequence lock: `sequence` is odd while the
 * publisher writes the slot's `state`, even when it is whole. The publisher never waits for
 * readers: it makes `sequence` odd, stores `state` as 64-bit words with release, makes
 * `sequence` even with release, then stores `latest` with release. A reader loads `latest`
 * (acquire), then for each publication it wants loads the slot's `sequence` (acquire), the
 * words of `state` (acquire) and `sequence` again; the copy is good when both loads are equal
 * and even and `state.sample` is the publication wanted (otherwise it was overwritten: the
 * reader was more than a ring behind). Both sides access `sequence` and `latest` as atomics
 * and `state` as 64-bit atomic words, so the structures keep 8-byte multiples.
 * `magic` is stored last, with release, once the header is filled in. */
#define KTR4SIM_SCOPE_PREFIX "/ktr4sim-scope-"
#define KTR4SIM_SCOPE_MAGIC 0x5043534Bu /* "KSCP" in little-endian bytes */
#define KTR4SIM_SCOPE_VERSION 1u
#define KTR4SIM_SCOPE_RATE_HZ 100u
#define KTR4SIM_SCOPE_MAX_CARDS 16u
#define KTR4SIM_SCOPE_SLOTS 64u

/* What kind of move drives an axis (move_kind). */
#define KTR4SIM_MOVE_NONE 0u
#define KTR4SIM_MOVE_POSITION 1u /* single-axis position move */
#define KTR4SIM_MOVE_VELOCITY 2u
#define KTR4SIM_MOVE_HOME 3u     /* origin return */
#define KTR4SIM_MOVE_LINE 4u     /* linear interpolation */
#define KTR4SIM_MOVE_ARC 5u      /* circular interpolation */
#define KTR4SIM_MOVE_PULSER 6u

/* Simulated sensors (sensors). */
#define KTR4SIM_SENSOR_HOME 0x0001u /* the command position is on the HOME sensor (ktr4sim_set_home) */

typedef struct ktr4sim_scope_axis {
  int32_t command_position;  /* command counter (read code 0xE3) */
  int32_t feedback_position; /* feedback counter (0xE4) */
  double speed;              /* pulses per second, as KTR4_read_speed reports it */
  uint32_t speed_register;   /* current speed register (0xF5) */
  uint32_t operation_mode;   /* operation-mode register (0xD7) */
  uint16_t main_status;      /* main status port word (stopped 0x0008, soft limits 0x0100/0x0200,
                                buffer full 0x4000) */
  uint16_t sub_status;       /* sub-status port word */
  uint16_t move_kind;        /* KTR4SIM_MOVE_* */
  uint16_t sensors;          /* KTR4SIM_SENSOR_* bits */
} ktr4sim_scope_axis;        /* 32 bytes */

typedef struct ktr4sim_scope_card {
  uint32_t switch_number; /* card number switch, 0..15 */
  uint32_t reserved;
  ktr4sim_scope_axis axes[4];
} ktr4sim_scope_card; /* 136 bytes */

typedef struct ktr4sim_scope_state {
  uint64_t sample;      /* counts the publications from 1 */
  uint64_t tick;        /* simulator clock (ktr4sim_now) when the state was taken */
  int64_t monotonic_ns; /* CLOCK_MONOTONIC when the state was taken */
  uint32_t card_count;  /* cards present, 0..16 */
  uint32_t virtual_clock; /* 1: the simulator runs on its virtual clock */
  ktr4sim_scope_card cards[KTR4SIM_SCOPE_MAX_CARDS];
} ktr4sim_scope_state; /* 2208 bytes */

typedef struct ktr4sim_scope_slot {
  uint32_t sequence; /* the slot's sequence lock */
  uint32_t reserved;
  ktr4sim_scope_state state;
} ktr4sim_scope_slot; /* 2216 bytes */

typedef struct ktr4sim_scope_segment {
  uint32_t magic;      /* KTR4SIM_SCOPE_MAGIC once the header is valid */
  uint32_t version;    /* KTR4SIM_SCOPE_VERSION */
  uint32_t size;       /* sizeof(ktr4sim_scope_segment) */
  int32_t pid;         /* the publishing process */
  uint32_t rate_hz;    /* publications per second */
  uint32_t slot_count; /* KTR4SIM_SCOPE_SLOTS */
  uint64_t latest;     /* number of the newest whole publication (0: none yet) */
  ktr4sim_scope_slot ring[KTR4SIM_SCOPE_SLOTS]; /* not "slots": Qt defines that word */
} ktr4sim_scope_segment; /* 141 856 bytes */

#ifdef __cplusplus
}
#endif

#endif /* KTR4SIM_H */
