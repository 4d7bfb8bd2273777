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
