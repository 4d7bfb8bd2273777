/*
 * ktr4 - function library of the KTR4 four-axis pulse-train motion-control card.
 *
 * Up to 16 cards serve one computer; each is addressed by the number set on its card
 * number switch (0..15), each axis by 0..3. Every export returns a status code
 * (KTR4_OK or one of the codes below, or a driver failure code passed through
 * unchanged: the first one when several driver calls fail); results go out through
 * caller-supplied pointers, which are not checked and are left untouched when a read fails.
 *
 * Argument slots: card and axis numbers and small enumerations travel in 32-bit
 * slots of which only the low byte is examined (card 0x105 is card 5, card 0x110 is
 * card 0x10 and so 300); 16-bit quantities likewise use the low 16 bits of their slot.
 *
 * The library reaches the card only through a driver library (see ktr4io.h), loaded at
 * the first KTR4_initial: on POSIX the file named by the environment variable
 * KTR4IO_LIBRARY, by default the simulated card libktr4sim.so installed beside libktr4;
 * on Windows KTR4IO.dll, its operations resolved by ordinal.
 *
 * Threads: every export runs under one process-wide recursive lock, so calls from
 * several threads are serialised by the library itself.
 */
#ifndef KTR4_H
#define KTR4_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define KTR4_CALL __stdcall
#else
#define KTR4_CALL
#endif

#if defined(_WIN32)
#define KTR4_API /* exports and ordinals come from ktr4.def */
#elif defined(__GNUC__)
#define KTR4_API __attribute__((visibility("default")))
#else
#define KTR4_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* An 8-bit argument in a 32-bit slot: only the low byte counts. */
typedef uint32_t ktr4_u8;
/* A 16-bit argument in a 32-bit slot: only the low 16 bits count. */
typedef uint32_t ktr4_u16;

/* The event a card's driver signals when the card interrupts (KTR4_enable_IRQ).
 * On Windows a Windows event handle (NULL when it could not be created). Elsewhere an eventfd
 * descriptor (-1 when it could not be created): it turns readable when signalled and one
 * read() of 8 bytes consumes the signal; signals before a read coalesce into one. Events are
 * shared by name within the process: card n's event is named by the byte n followed by
 * "KTR4", so card 0's name is empty and it gets a new unnamed event at each enable.
 * The library owns every event it hands out: the application may wait for it but must not
 * close it. Card 0's unnamed event is closed by the library when the next KTR4_enable_IRQ of
 * card 0 replaces it, so its handle is valid until then; KTR4_close closes every event the
 * library handed out. While a service thread is linked,
 * reading (consuming) the event is left to that thread. */
#if defined(_WIN32)
typedef void *KTR4_EVENT;
#else
typedef int KTR4_EVENT;
#endif

/* Interrupt callback: called with the card number on the card's service thread, without
 * the library's lock held, so it may call any export. KTR4_close called from a callback
 * returns without waiting for the service threads; they end when their callbacks return. */
typedef void(KTR4_CALL *KTR4_IRQ_CALLBACK)(uint8_t card);

/* Status codes. */
#define KTR4_OK 0
#define KTR4_ERR_NOT_INITIALISED 100  /* no card with this number was found by KTR4_initial */
#define KTR4_ERR_DUPLICATE_CARD 102   /* KTR4_initial: two cards report the same number */
#define KTR4_ERR_CARD 300             /* card number greater than 15 */
#define KTR4_ERR_AXIS 301             /* axis number greater than 3 */
#define KTR4_ERR_RANGE 302            /* an argument outside its allowed range */
#define KTR4_ERR_MOVING 303           /* the axis is still moving */
#define KTR4_ERR_BUFFER_FULL 304      /* the continuous buffer (pre-registers) is full */
#define KTR4_ERR_CHANGE_REFUSED 305   /* a change of a running move is refused */
#define KTR4_ERR_CONTINUOUS_MIX 306   /* axes of one interpolation differ in continuous mode */
#define KTR4_ERR_ARC_GEOMETRY 308     /* arc geometry error */
#define KTR4_ERR_FILE 309             /* the configuration file cannot be opened */
#define KTR4_ERR_CIRCLE_GEOMETRY 311  /* circle geometry error */
/* KTR4_load_config_from_file: the file is shorter than a 212-byte configuration record
 * (a longer file loads its first 212 bytes); nothing was written to the card or the card
 * table. */
#define KTR4_ERR_FILE_SIZE 312
/* KTR4_link_IRQ_process: the system refused the card's service thread or its wake-up event
 * (thread or descriptor limit); nothing was changed. KTR4_initial: the follower timer's
 * thread could not be started (the cards are registered). */
#define KTR4_ERR_THREAD 313
/* KTR4_initial: the driver library could not be loaded (no card is initialised). */
#define KTR4_ERR_DRIVER_LOAD 900
/* KTR4_initial: the driver library lacks one of the operations (no card is initialised). */
#define KTR4_ERR_DRIVER_OPERATION 901

/* Library frame. */
KTR4_API int32_t KTR4_CALL KTR4_initial(void);
KTR4_API int32_t KTR4_CALL KTR4_init_card(ktr4_u8 card);
KTR4_API int32_t KTR4_CALL KTR4_close(void);
KTR4_API int32_t KTR4_CALL KTR4_info(ktr4_u8 card, uint16_t *info);

/* Pulse I/O and pin configuration. Flag arguments: 0 clears, any other value sets. */
KTR4_API int32_t KTR4_CALL KTR4_set_pulse_outmode(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode);
KTR4_API int32_t KTR4_CALL KTR4_readback_pulse_outmode(ktr4_u8 card, ktr4_u8 axis, uint8_t *mode);
KTR4_API int32_t KTR4_CALL KTR4_set_pulse_inmode(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode, ktr4_u8 option);
KTR4_API int32_t KTR4_CALL KTR4_readback_pulse_inmode(ktr4_u8 card, ktr4_u8 axis, uint8_t *mode, uint8_t *option);
KTR4_API int32_t KTR4_CALL KTR4_config_SD_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable, ktr4_u8 opt6,
                                              ktr4_u8 opt5, ktr4_u8 opt4);
KTR4_API int32_t KTR4_CALL KTR4_readback_SD_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t *enable, uint8_t *opt6,
                                                uint8_t *opt5, uint8_t *opt4, uint8_t *state);
KTR4_API int32_t KTR4_CALL KTR4_config_PCS_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable, ktr4_u8 option);
KTR4_API int32_t KTR4_CALL KTR4_readback_PCS_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t *enable, uint8_t *option,
                                                 uint8_t *state);
KTR4_API int32_t KTR4_CALL KTR4_config_INP_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable, ktr4_u8 option);
KTR4_API int32_t KTR4_CALL KTR4_readback_INP_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t *enable, uint8_t *option,
                                                 uint8_t *state);
KTR4_API int32_t KTR4_CALL KTR4_config_ERC_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 option_a, ktr4_u8 option_b,
                                               ktr4_u8 width, ktr4_u8 code);
KTR4_API int32_t KTR4_CALL KTR4_readback_ERC_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t *option_a, uint8_t *option_b,
                                                 uint8_t *width, uint8_t *code, uint8_t *state);
KTR4_API int32_t KTR4_CALL KTR4_config_ALM_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 option9, ktr4_u8 option8);
KTR4_API int32_t KTR4_CALL KTR4_readback_ALM_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t *option9, uint8_t *option8,
                                                 uint8_t *state);
KTR4_API int32_t KTR4_CALL KTR4_config_LTC_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 option15, ktr4_u8 option23);
KTR4_API int32_t KTR4_CALL KTR4_readback_LTC_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t *option15, uint8_t *option23,
                                                 uint8_t *state);
KTR4_API int32_t KTR4_CALL KTR4_config_CMP_OUT(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode);
KTR4_API int32_t KTR4_CALL KTR4_readback_CMP_OUT(ktr4_u8 card, ktr4_u8 axis, uint8_t *mode, uint8_t *state);
KTR4_API int32_t KTR4_CALL KTR4_config_EL_MODE(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode);
KTR4_API int32_t KTR4_CALL KTR4_readback_EL_MODE(ktr4_u8 card, ktr4_u8 axis, uint8_t *mode);
KTR4_API int32_t KTR4_CALL KTR4_set_HOME_pin_logic(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 logic);
KTR4_API int32_t KTR4_CALL KTR4_readback_HOME_pin_logic(ktr4_u8 card, ktr4_u8 axis, uint8_t *logic);
KTR4_API int32_t KTR4_CALL KTR4_set_EZ_pin_logic(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 logic);
KTR4_API int32_t KTR4_CALL KTR4_readback_EZ_pin_logic(ktr4_u8 card, ktr4_u8 axis, uint8_t *logic);
KTR4_API int32_t KTR4_CALL KTR4_config_TTL_IO_MODE(ktr4_u8 card, ktr4_u8 mode);
KTR4_API int32_t KTR4_CALL KTR4_readback_TTL_IO_MODE(ktr4_u8 card, uint8_t *mode);

/* Configuration file: a 212-byte record per card. path is a NUL-terminated narrow file name.
 * Saving writes a new temporary file beside the target and renames it over the target, so a
 * failed save leaves any previous file as it was. The file is written only when every
 * register was read; otherwise the first failed read's code is returned. A directory, a
 * read-only target or a folder that cannot be written give 309; a target that is a symbolic
 * link is saved into the file it points to, keeping that file's permissions and owner.
 * Files are read and written without the library's lock held, so a slow file does not delay
 * the calls of other threads. */
KTR4_API int32_t KTR4_CALL KTR4_save_config2_file(ktr4_u8 card, const char *path);
KTR4_API int32_t KTR4_CALL KTR4_load_config_from_file(ktr4_u8 card, const char *path);

/* Status, counters, comparators and soft limits. */
KTR4_API int32_t KTR4_CALL KTR4_read_current_position(ktr4_u8 card, ktr4_u8 axis, int32_t *position);
KTR4_API int32_t KTR4_CALL KTR4_set_current_position(ktr4_u8 card, ktr4_u8 axis, int32_t position);
KTR4_API int32_t KTR4_CALL KTR4_read_FB_counter(ktr4_u8 card, ktr4_u8 axis, int32_t *count);
KTR4_API int32_t KTR4_CALL KTR4_set_FB_counter(ktr4_u8 card, ktr4_u8 axis, int32_t count);
KTR4_API int32_t KTR4_CALL KTR4_read_FBcounter_latch_value(ktr4_u8 card, ktr4_u8 axis, int32_t *value);
KTR4_API int32_t KTR4_CALL KTR4_config_comparator_out(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 code1,
                                                      ktr4_u8 code2, ktr4_u8 code3);
KTR4_API int32_t KTR4_CALL KTR4_readback_comparator_out(ktr4_u8 card, ktr4_u8 axis, uint8_t *code1,
                                                        uint8_t *code2, uint8_t *code3);
KTR4_API int32_t KTR4_CALL KTR4_set_comparator_data(ktr4_u8 card, ktr4_u8 axis, int32_t data);
KTR4_API int32_t KTR4_CALL KTR4_readback_comparator_data(ktr4_u8 card, ktr4_u8 axis, int32_t *data);
KTR4_API int32_t KTR4_CALL KTR4_read_compare_flag(ktr4_u8 card, ktr4_u8 axis, uint8_t *flag);
KTR4_API int32_t KTR4_CALL KTR4_set_event_factor(ktr4_u8 card, ktr4_u8 axis, uint32_t factor);
KTR4_API int32_t KTR4_CALL KTR4_read_event_flag(ktr4_u8 card, ktr4_u8 axis, uint32_t *flags);
KTR4_API int32_t KTR4_CALL KTR4_read_error_flag(ktr4_u8 card, ktr4_u8 axis, uint32_t *flags);
KTR4_API int32_t KTR4_CALL KTR4_config_softlimit(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 setting1,
                                                 ktr4_u8 setting2);
KTR4_API int32_t KTR4_CALL KTR4_readback_config_softlimit(ktr4_u8 card, ktr4_u8 axis, uint8_t *setting1,
                                                          uint8_t *setting2);
KTR4_API int32_t KTR4_CALL KTR4_set_softlimit_data(ktr4_u8 card, ktr4_u8 axis, int32_t limit1,
                                                   int32_t limit2);
KTR4_API int32_t KTR4_CALL KTR4_readback_softlimit_data(ktr4_u8 card, ktr4_u8 axis, int32_t *limit1,
                                                        int32_t *limit2);
KTR4_API int32_t KTR4_CALL KTR4_enable_softlimit(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable);
KTR4_API int32_t KTR4_CALL KTR4_readback_enable_softlimit(ktr4_u8 card, ktr4_u8 axis, uint8_t *enabled);
KTR4_API int32_t KTR4_CALL KTR4_read_softlimit_flag(ktr4_u8 card, ktr4_u8 axis, uint8_t *flag1,
                                                    uint8_t *flag2);
/* kind 0: stopped flag; kind 1: continuous buffer full; other kinds 302. Points: input
 * points 0..24, output points 0..11 (302 above). */
KTR4_API int32_t KTR4_CALL KTR4_read_motion_status(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 kind,
                                                   uint8_t *status);
KTR4_API int32_t KTR4_CALL KTR4_read_point_status(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 point,
                                                  uint8_t *state);
KTR4_API int32_t KTR4_CALL KTR4_write_output_point(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 point, ktr4_u8 on);

/* Motion profile engine. Speeds are in pulses per second, at most 6 553 500 in magnitude
 * (302 above); position moves use their magnitudes, velocity moves take the direction from
 * the sign of the operating speed; a position move's maximum speed of 0 is 302. Times are
 * in seconds, finite and not negative (302 otherwise; 0 means no ramp). S-curve sections (sv*) are speeds
 * in pps, 0 for a pure S-curve. Position moves: mode 0 relative, any other value absolute;
 * they need a stopped axis (303) or, in continuous mode, a free buffer (304). */
KTR4_API int32_t KTR4_CALL KTR4_fix_speed_range(ktr4_u8 card, ktr4_u8 axis, int32_t max_speed);
KTR4_API int32_t KTR4_CALL KTR4_unfix_speed_range(ktr4_u8 card, ktr4_u8 axis);
KTR4_API int32_t KTR4_CALL KTR4_T_curve_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_TR_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_TA_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_S_curve_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec, int32_t sv_acc, int32_t sv_dec);
KTR4_API int32_t KTR4_CALL KTR4_SR_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                 int32_t sv_dec);
KTR4_API int32_t KTR4_CALL KTR4_SA_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                 int32_t sv_dec);
/* New end of the running move: mode 0 a distance from where it started, else an end position. */
KTR4_API int32_t KTR4_CALL KTR4_position_change(ktr4_u8 card, ktr4_u8 axis, int32_t new_dist, ktr4_u8 mode);
KTR4_API int32_t KTR4_CALL KTR4_T_velocity_move(ktr4_u8 card, ktr4_u8 axis, int32_t start_speed,
                                                int32_t max_speed, double t_acc);
KTR4_API int32_t KTR4_CALL KTR4_S_velocity_move(ktr4_u8 card, ktr4_u8 axis, int32_t start_speed,
                                                int32_t max_speed, double t_acc, int32_t sv);
KTR4_API int32_t KTR4_CALL KTR4_velocity_change(ktr4_u8 card, ktr4_u8 axis, int32_t new_speed, double t_change);
KTR4_API int32_t KTR4_CALL KTR4_dec_stop(ktr4_u8 card, ktr4_u8 axis, double t_dec);

/* Homing. Home mode 0..12, count 0..15. Speeds in pulses per second (the sign is ignored,
 * |start_speed|, |max_speed| <= 6 553 500), accel_time in seconds, finite and not negative
 * (302 otherwise), direction 0 or non-zero. */
KTR4_API int32_t KTR4_CALL KTR4_config_home_mode(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode, ktr4_u8 count);
KTR4_API int32_t KTR4_CALL KTR4_start_homing(ktr4_u8 card, ktr4_u8 axis, int32_t start_speed, int32_t max_speed,
                                             double accel_time, ktr4_u8 direction);
KTR4_API int32_t KTR4_CALL KTR4_start_origin_search_homing(ktr4_u8 card, ktr4_u8 axis, int32_t start_speed,
                                                           int32_t max_speed, double accel_time, ktr4_u8 direction,
                                                           int32_t amount);

/* Manual pulser. The card's own pulser motion (Vmove, Pmove), and a follower in the library
 * that makes an axis follow the pulser counter of a source axis of the same card, sampled
 * every 20 ms from KTR4_initial until KTR4_close. Map (KTR4_set_pulser_Map) before enabling. */
KTR4_API int32_t KTR4_CALL KTR4_config_pulser_mode(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode, ktr4_u8 option);
KTR4_API int32_t KTR4_CALL KTR4_readback_pulser_mode(ktr4_u8 card, ktr4_u8 axis, uint8_t *mode, uint8_t *option);
KTR4_API int32_t KTR4_CALL KTR4_read_pulser_counter(ktr4_u8 card, ktr4_u8 axis, int32_t *count);
KTR4_API int32_t KTR4_CALL KTR4_set_pulser_counter(ktr4_u8 card, ktr4_u8 axis, int32_t count);
KTR4_API int32_t KTR4_CALL KTR4_run_pulser_Vmove(ktr4_u8 card, ktr4_u8 axis, int32_t speed);
KTR4_API int32_t KTR4_CALL KTR4_run_pulser_Pmove(ktr4_u8 card, ktr4_u8 axis, int32_t move_value, ktr4_u8 absolute,
                                                 int32_t speed);
KTR4_API int32_t KTR4_CALL KTR4_set_pulser_Map(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 from_axis, ktr4_u8 reverse);
KTR4_API int32_t KTR4_CALL KTR4_enable_pulser_motion(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable, ktr4_u16 ratio);

/* Interrupts. */
KTR4_API int32_t KTR4_CALL KTR4_enable_IRQ(ktr4_u8 card, KTR4_EVENT *event);
KTR4_API int32_t KTR4_CALL KTR4_disable_IRQ(ktr4_u8 card);
KTR4_API int32_t KTR4_CALL KTR4_set_INT_mask(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mask);
KTR4_API int32_t KTR4_CALL KTR4_set_INT_source(ktr4_u8 card, ktr4_u8 axis, uint32_t source, uint32_t factor);
KTR4_API int32_t KTR4_CALL KTR4_link_IRQ_process(ktr4_u8 card, KTR4_IRQ_CALLBACK callback);
KTR4_API int32_t KTR4_CALL KTR4_read_INT_status(ktr4_u8 card, ktr4_u8 axis, uint8_t *field, uint32_t *event_word,
                                                uint32_t *last_word);

/* Backlash, vibration suppression, continuous flag, synchronised start, stops, speed. */
KTR4_API int32_t KTR4_CALL KTR4_backlash_comp(ktr4_u8 card, ktr4_u8 axis, ktr4_u16 amount,
                                              ktr4_u8 mode_variant_flag, uint32_t correction_speed);
KTR4_API int32_t KTR4_CALL KTR4_readback_backlash_comp(ktr4_u8 card, ktr4_u8 axis, uint16_t *amount,
                                                       uint8_t *mode_variant_flag, uint32_t *correction_speed);
KTR4_API int32_t KTR4_CALL KTR4_suppress_vibration(ktr4_u8 card, ktr4_u8 axis, ktr4_u16 first, ktr4_u16 second);
KTR4_API int32_t KTR4_CALL KTR4_readback_suppress_vibration(ktr4_u8 card, ktr4_u8 axis, uint16_t *first,
                                                            uint16_t *second);
KTR4_API int32_t KTR4_CALL KTR4_set_continuous_flag(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 flag);
KTR4_API int32_t KTR4_CALL KTR4_check_continuous_buffer(ktr4_u8 card, ktr4_u8 axis, uint8_t *full);
KTR4_API int32_t KTR4_CALL KTR4_trigger_CSTA_pulse(ktr4_u8 card);
KTR4_API int32_t KTR4_CALL KTR4_wait_CSTA_signal(ktr4_u8 card);
KTR4_API int32_t KTR4_CALL KTR4_trigger_CSTP_pulse(ktr4_u8 card);
KTR4_API int32_t KTR4_CALL KTR4_imd_stop(ktr4_u8 card, ktr4_u8 axis);
KTR4_API int32_t KTR4_CALL KTR4_emg_stop(ktr4_u8 card);
KTR4_API int32_t KTR4_CALL KTR4_read_speed(ktr4_u8 card, ktr4_u8 axis, double *speed);

/* Multi-axis motion. Interpolation groups: pair 0..5 = axes 01 02 03 12 13 23, triple 0..3 =
 * 012 013 023 123; LINE4 uses all four axes. Speeds are path speeds; mode 0 relative, any
 * other value absolute. Arcs: (cx, cy) centre, (ex, ey) end; direction 0 → code 0x64, else
 * 0x65. 308: the arc was replaced by a line (and the line ran); 311: three points on a
 * line, nothing moved. Speeds and times as for the single-axis moves; an arc's speed of 0 is
 * 302. On-line changes need a running move (305 otherwise). */
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE2(ktr4_u8 card, ktr4_u8 pair, int32_t d1, int32_t d2,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                   double t_acc, double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE2(ktr4_u8 card, ktr4_u8 pair, int32_t d1, int32_t d2,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                   double t_acc, double t_dec, int32_t sv_acc, int32_t sv_dec);
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_XY(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode,
                                                int32_t start_speed, int32_t max_speed, double t_acc,
                                                double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_ZA(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode,
                                                int32_t start_speed, int32_t max_speed, double t_acc,
                                                double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_XY(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode,
                                                int32_t start_speed, int32_t max_speed, double t_acc,
                                                double t_dec, int32_t sv_acc, int32_t sv_dec);
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_ZA(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode,
                                                int32_t start_speed, int32_t max_speed, double t_acc,
                                                double t_dec, int32_t sv_acc, int32_t sv_dec);
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE3(ktr4_u8 card, ktr4_u8 triple, int32_t d1, int32_t d2,
                                                   int32_t d3, ktr4_u8 mode, int32_t start_speed,
                                                   int32_t max_speed, double t_acc, double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE3(ktr4_u8 card, ktr4_u8 triple, int32_t d1, int32_t d2,
                                                   int32_t d3, ktr4_u8 mode, int32_t start_speed,
                                                   int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                   int32_t sv_dec);
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE4(ktr4_u8 card, int32_t d1, int32_t d2, int32_t d3, int32_t d4,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                   double t_acc, double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE4(ktr4_u8 card, int32_t d1, int32_t d2, int32_t d3, int32_t d4,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                   double t_acc, double t_dec, int32_t sv_acc, int32_t sv_dec);
KTR4_API int32_t KTR4_CALL KTR4_ARC2_center_move(ktr4_u8 card, ktr4_u8 pair, int32_t cx, int32_t cy, int32_t ex,
                                                 int32_t ey, ktr4_u8 mode, int32_t speed, uint32_t direction);
KTR4_API int32_t KTR4_CALL KTR4_ARC_center_move_XY(ktr4_u8 card, int32_t cx, int32_t cy, int32_t ex, int32_t ey,
                                                   ktr4_u8 mode, int32_t speed, uint32_t direction);
KTR4_API int32_t KTR4_CALL KTR4_ARC_center_move_ZA(ktr4_u8 card, int32_t cx, int32_t cy, int32_t ex, int32_t ey,
                                                   ktr4_u8 mode, int32_t speed, uint32_t direction);
KTR4_API int32_t KTR4_CALL KTR4_ARC2_3P_move(ktr4_u8 card, ktr4_u8 pair, int32_t x1, int32_t y1, int32_t x2,
                                             int32_t y2, ktr4_u8 mode, int32_t speed);
KTR4_API int32_t KTR4_CALL KTR4_ARC_3P_move_XY(ktr4_u8 card, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                               ktr4_u8 mode, int32_t speed);
KTR4_API int32_t KTR4_CALL KTR4_ARC_3P_move_ZA(ktr4_u8 card, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                               ktr4_u8 mode, int32_t speed);
KTR4_API int32_t KTR4_CALL KTR4_CIR2_3P_move(ktr4_u8 card, ktr4_u8 pair, int32_t x1, int32_t y1, int32_t x2,
                                             int32_t y2, ktr4_u8 mode, int32_t speed);
/* Commanded end position of a stopped axis = its current position. */
KTR4_API int32_t KTR4_CALL KTR4_correct_current_POS(ktr4_u8 card, ktr4_u8 axis);
KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change(ktr4_u8 card, ktr4_u8 axis, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE2(ktr4_u8 card, ktr4_u8 pair, int32_t d1, int32_t d2,
                                                            ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                            double t_acc, double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE3(ktr4_u8 card, ktr4_u8 triple, int32_t d1, int32_t d2,
                                                            int32_t d3, ktr4_u8 mode, int32_t start_speed,
                                                            int32_t max_speed, double t_acc, double t_dec);
KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE4(ktr4_u8 card, int32_t d1, int32_t d2, int32_t d3,
                                                            int32_t d4, ktr4_u8 mode, int32_t start_speed,
                                                            int32_t max_speed, double t_acc, double t_dec);

#ifdef __cplusplus
}
#endif

#endif /* KTR4_H */
