/*
 * ktr4 - function library of the KTR4 four-axis pulse-train motion-control card.
 *
 * The reference comments below (one above each declaration, grouped by topic) are the
 * source of the manual pages (man 7 ktr4, man 3 KTR4_...) and of the HTML reference.
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

/**
 * @defgroup types Types and argument conventions
 * Up to 16 cards serve one computer; each is addressed by the number set on its card number switch
 * (0..15), each axis by 0..3. Every export returns a result code (KTR4_OK or one of the codes
 * below, or a failure code of the driver passed through unchanged); results go out through
 * pointers you supply, which are not checked for NULL.
 *
 * Card and axis numbers and small enumerations travel in 32-bit slots of which only the low
 * byte counts (card 0x105 is card 5; card 0x110 is card 0x10 and so gives KTR4_ERR_CARD);
 * 16-bit quantities likewise use the low 16 bits of their slot.
 *
 * Threads: every export runs under one process-wide lock, so calls from several
 * threads are serialised by the library itself; moves return at once and run on the card.
 * @{
 */

/** An 8-bit argument in a 32-bit slot: only the low byte counts. */
typedef uint32_t ktr4_u8;
/** A 16-bit argument in a 32-bit slot: only the low 16 bits count. */
typedef uint32_t ktr4_u16;

/**
 * The event a card's driver signals when the card interrupts (KTR4_enable_IRQ).
 *
 * On Windows a Windows event handle (NULL when it could not be created). Elsewhere an eventfd
 * descriptor (-1 when it could not be created): it turns readable when signalled and one read()
 * of 8 bytes consumes the signal; signals before a read coalesce into one. Events are shared by
 * name within the process: card n's event is named by the byte n followed by "KTR4", so card 0's
 * name is empty and it gets a new unnamed event at each enable. The library owns every event it
 * hands out: the application may wait for it but must not close it. Card 0's unnamed event is
 * closed by the library when the next KTR4_enable_IRQ of card 0 replaces it, so its handle is
 * valid until then; KTR4_close closes every event the library handed out. While a service thread
 * is linked, reading (consuming) the event is left to that thread.
 */
#if defined(_WIN32)
typedef void* KTR4_EVENT;
#else
typedef int KTR4_EVENT;
#endif

/**
 * Interrupt callback (KTR4_link_IRQ_process): called with the card number on the card's service
 * thread, without the library's lock held, so it may call any export. KTR4_close called from a
 * callback returns without waiting for the service threads; they end when their callbacks return.
 */
typedef void(KTR4_CALL* KTR4_IRQ_CALLBACK)(uint8_t card);

/** @} */

/**
 * @defgroup codes Result codes
 * Every export returns one of these, or a failure code of the card driver passed through
 * unchanged (the simulated card's are KTR4SIM_ERR_HANDLE 1001 .. KTR4SIM_ERR_DISABLED 1004 in
 * ktr4sim.h). When a driver call fails, the export returns the code of the first failure and a
 * read whose driver call failed leaves your variable untouched. KTR4_error_text gives every code
 * as text.
 * @{
 */

/** Success. */
#define KTR4_OK 0
/** No card with this number was found by KTR4_initial, or the library was closed (KTR4_close). */
#define KTR4_ERR_NOT_INITIALISED 100
/** KTR4_initial: two cards are set to the same card number. */
#define KTR4_ERR_DUPLICATE_CARD 102
/** Card number greater than 15. */
#define KTR4_ERR_CARD 300
/** Axis number greater than 3. */
#define KTR4_ERR_AXIS 301
/** An argument outside its allowed range (each function names its ranges); nothing was written. */
#define KTR4_ERR_RANGE 302
/** A new move needs a stopped axis, and this one is still moving. */
#define KTR4_ERR_MOVING 303
/** Continuous mode: the axis's buffer (pre-registers) already holds a move. */
#define KTR4_ERR_BUFFER_FULL 304
/** A change of a running move is refused: the axis is stopped (or, for KTR4_position_change, in continuous mode). */
#define KTR4_ERR_CHANGE_REFUSED 305
/** The axes of one line or arc are not all in the same continuous mode. */
#define KTR4_ERR_CONTINUOUS_MIX 306
/** Arc geometry: the arc could not be run as given and a straight line to its end point was run instead. */
#define KTR4_ERR_ARC_GEOMETRY 308
/** The configuration file cannot be opened, read or written, is not a regular file, or is a refused link. */
#define KTR4_ERR_FILE 309
/** Circle geometry: the three points lie on one line; nothing moves. */
#define KTR4_ERR_CIRCLE_GEOMETRY 311
/** KTR4_load_config_from_file: the file is shorter than a 212-byte configuration record; nothing was written. */
#define KTR4_ERR_FILE_SIZE 312
/** The system refused a thread or event the library needs (KTR4_link_IRQ_process, KTR4_initial). */
#define KTR4_ERR_THREAD 313
/** KTR4_initial: the driver library could not be loaded (KTR4_driver_load_error tells why); no card is registered. */
#define KTR4_ERR_DRIVER_LOAD 900
/** KTR4_initial: the driver library lacks one of the operations of ktr4io.h; no card is registered. */
#define KTR4_ERR_DRIVER_OPERATION 901

/** @} */

/**
 * @defgroup cardcodes The card's codes
 * The numbers the card takes and reports, by name: pulse output and input modes, home modes,
 * comparator codes, soft-limit settings, pin settings, point numbers and the bits of the event,
 * error and status words. Each function that takes or returns one of them lists its table;
 * man 7 ktr4-card holds them all, with when each bit is set and how it is cleared.
 * @{
 */

/** Pulse output mode 0 (KTR4_set_pulse_outmode): pulse and direction, pulses active low, direction high for +. */
#define KTR4_PULSE_OUT_DIR_LOW_PLUS_HIGH 0
/** Pulse output mode 1: pulse and direction, pulses active high, direction high for +. */
#define KTR4_PULSE_OUT_DIR_HIGH_PLUS_HIGH 1
/** Pulse output mode 2: pulse and direction, pulses active low, direction low for +. */
#define KTR4_PULSE_OUT_DIR_LOW_PLUS_LOW 2
/** Pulse output mode 3: pulse and direction, pulses active high, direction low for +. */
#define KTR4_PULSE_OUT_DIR_HIGH_PLUS_LOW 3
/** Pulse output mode 4: two pulse lines (CW for +, CCW for -), active low. */
#define KTR4_PULSE_OUT_CW_CCW_LOW 4
/** Pulse output mode 5: two pulse lines, active high (KTR4_init_card's setting). */
#define KTR4_PULSE_OUT_CW_CCW_HIGH 5

/** Pulse input mode 0 (KTR4_set_pulse_inmode): A/B phase, counted once per cycle. */
#define KTR4_PULSE_IN_AB_X1 0
/** Pulse input mode 1: A/B phase, counted twice per cycle. */
#define KTR4_PULSE_IN_AB_X2 1
/** Pulse input mode 2: A/B phase, counted four times per cycle (KTR4_init_card's setting). */
#define KTR4_PULSE_IN_AB_X4 2
/** Pulse input mode 3: two count lines, up and down. */
#define KTR4_PULSE_IN_UP_DOWN 3
/** Pulse input option 0: the feedback counter counts up with + motion. */
#define KTR4_PULSE_IN_NORMAL 0
/** Pulse input option 1: the feedback counter counts the other way. */
#define KTR4_PULSE_IN_REVERSED 1

/** Home mode 0 (KTR4_config_home_mode): run at the maximum speed until HOME turns on; stop at once there. */
#define KTR4_HOME_ORG 0
/** Home mode 1: run at the maximum speed until HOME turns on; decelerate to a stop past it. */
#define KTR4_HOME_ORG_DECEL 1
/** Home mode 2: HOME at the maximum speed, slow to the start speed, stop at once on the (count+1)-th EZ pulse. */
#define KTR4_HOME_ORG_EZ 2
/** Home mode 3: HOME at the maximum speed, back at the start speed, stop at once where HOME turns off. */
#define KTR4_HOME_ORG_BACK 3
/** Home mode 4: as mode 3, then forward again at the start speed, stop at once where HOME turns on. */
#define KTR4_HOME_ORG_BACK_FWD 4
/** Home mode 5: HOME at the maximum speed, back at the start speed, stop on the (count+1)-th EZ pulse after HOME turns off. */
#define KTR4_HOME_ORG_BACK_EZ 5
/** Home mode 6: into the EL switch of the search direction, back at the start speed, stop at once where EL turns off. */
#define KTR4_HOME_EL_BACK 6
/** Home mode 7: as mode 6, then stop on the (count+1)-th EZ pulse after EL turns off. */
#define KTR4_HOME_EL_BACK_EZ 7
/** Home mode 8: at the start speed, stop at once on the (count+1)-th EZ pulse (no HOME). */
#define KTR4_HOME_EZ 8
/** Home mode 9: as mode 4, then stop on the (count+1)-th EZ pulse after HOME turned on. */
#define KTR4_HOME_ORG_BACK_FWD_EZ 9
/** Home mode 10: into the EL switch, back at the start speed, stop at once where HOME turns on. */
#define KTR4_HOME_EL_BACK_ORG 10
/** Home mode 11: as mode 10, then stop on the (count+1)-th EZ pulse after HOME turned on. */
#define KTR4_HOME_EL_BACK_ORG_EZ 11
/** Home mode 12: at the start speed (no acceleration) until HOME turns on; stop at once there. */
#define KTR4_HOME_ORG_SLOW 12
/** Direction of KTR4_start_homing and KTR4_start_origin_search_homing: search in the + direction. */
#define KTR4_HOME_DIR_PLUS 0
/** Direction of the homing starts: search in the - direction. */
#define KTR4_HOME_DIR_MINUS 1

/** Comparator source (KTR4_config_comparator_out source): the command position counter. */
#define KTR4_CMP_SRC_COMMAND 0
/** Comparator source: the feedback (encoder) counter. */
#define KTR4_CMP_SRC_FEEDBACK 1
/** Comparator source: the deviation, command position minus feedback counter. */
#define KTR4_CMP_SRC_DEVIATION 2
/** Comparator source: the manual pulser counter. */
#define KTR4_CMP_SRC_PULSER 3
/** Comparator condition (KTR4_config_comparator_out condition): off. */
#define KTR4_CMP_OFF 0
/** Comparator condition: the value reaches or passes the data, either direction. */
#define KTR4_CMP_EQUAL 1
/** Comparator condition: the value reaches or passes the data while counting up. */
#define KTR4_CMP_EQUAL_UP 2
/** Comparator condition: the value reaches or passes the data while counting down. */
#define KTR4_CMP_EQUAL_DOWN 3
/** Comparator condition: the value is greater than the data. */
#define KTR4_CMP_GREATER 4
/** Comparator condition: the value is less than the data. */
#define KTR4_CMP_LESS 5
/** Comparator action (KTR4_config_comparator_out action): the flag, the CMP output and the event only. */
#define KTR4_CMP_ACT_FLAG 0
/** Comparator action: as KTR4_CMP_ACT_FLAG, and the axis stops at once. */
#define KTR4_CMP_ACT_STOP 1
/** Comparator action: as KTR4_CMP_ACT_FLAG, and the axis decelerates to a stop. */
#define KTR4_CMP_ACT_DECEL_STOP 2
/** CMP output mode (KTR4_config_CMP_OUT): on while the compare flag is set (KTR4_init_card's setting). */
#define KTR4_CMP_OUT_LEVEL 0
/** CMP output mode: a 1 ms pulse each time the comparator's condition becomes true. */
#define KTR4_CMP_OUT_PULSE 1
/** CMP output mode: not driven by the comparator (stays off). */
#define KTR4_CMP_OUT_OFF 2

/** Soft-limit source (KTR4_config_softlimit source): compare the command position counter. */
#define KTR4_SOFTLIMIT_COMMAND 0
/** Soft-limit source: compare the feedback counter. */
#define KTR4_SOFTLIMIT_FEEDBACK 1
/** Soft-limit action (KTR4_config_softlimit action): stop at once on the limit. */
#define KTR4_SOFTLIMIT_STOP 0
/** Soft-limit action: decelerate to a stop from the limit (the axis ends past it). */
#define KTR4_SOFTLIMIT_DECEL_STOP 1
/** Soft-limit action: set the flag, the error bit and the event only; the move goes on. */
#define KTR4_SOFTLIMIT_FLAG 2

/** EL mode (KTR4_config_EL_MODE): an end-limit switch stops the axis at once (KTR4_init_card's setting). */
#define KTR4_EL_STOP 0
/** EL mode: an end-limit switch decelerates the axis to a stop. */
#define KTR4_EL_DECEL_STOP 1
/** Pin logic (HOME, EZ, SD, ALM, INP, LTC, PCS): the sensor is on when its input is active (KTR4_init_card's setting). */
#define KTR4_LOGIC_NORMAL 0
/** Pin logic: inverted; the card sees the sensor on wherever it is really off. */
#define KTR4_LOGIC_INVERTED 1
/** ALM stop option (KTR4_config_ALM_PIN stop): an alarm stops the axis at once (KTR4_init_card's setting). */
#define KTR4_ALM_STOP 0
/** ALM stop option: an alarm decelerates the axis to a stop. */
#define KTR4_ALM_DECEL_STOP 1
/** SD stop option (KTR4_config_SD_PIN stop): SD slows the axis to its start speed and the move goes on. */
#define KTR4_SD_SLOW 0
/** SD stop option: SD decelerates the axis to a stop and ends the move. */
#define KTR4_SD_STOP 1
/** SD latch option (KTR4_config_SD_PIN latch): slowed only while SD is on. */
#define KTR4_SD_WHILE_ON 0
/** SD latch option: once SD turned on, slowed until the move ends. */
#define KTR4_SD_LATCHED 1
/** LTC option (KTR4_config_LTC_PIN counter): LTC latches the command position counter. */
#define KTR4_LTC_COMMAND 0
/** LTC option: LTC latches the feedback counter. */
#define KTR4_LTC_FEEDBACK 1
/** ERC pulse width (KTR4_config_ERC_PIN width): 12 microseconds. */
#define KTR4_ERC_WIDTH_12US 0
/** ERC pulse width: 102 microseconds. */
#define KTR4_ERC_WIDTH_102US 1
/** ERC pulse width: 409 microseconds. */
#define KTR4_ERC_WIDTH_409US 2
/** ERC pulse width: 1.6 ms. */
#define KTR4_ERC_WIDTH_1600US 3
/** ERC pulse width: 13 ms. */
#define KTR4_ERC_WIDTH_13MS 4
/** ERC pulse width: 52 ms. */
#define KTR4_ERC_WIDTH_52MS 5
/** ERC pulse width: 104 ms. */
#define KTR4_ERC_WIDTH_104MS 6
/** ERC pulse width: a level, held until the next move starts (KTR4_init_card's setting). */
#define KTR4_ERC_WIDTH_LEVEL 7
/** ERC off time (KTR4_config_ERC_PIN off_time): none; the card's field 0. */
#define KTR4_ERC_OFF_0US 0
/** ERC off time: 12 microseconds; the card's field 1. */
#define KTR4_ERC_OFF_12US 1
/** ERC off time: 1.6 ms; the card's field 2 (argument 2 writes field 0, as KTR4_ERC_OFF_0US). */
#define KTR4_ERC_OFF_1600US 3
/** TTL I/O mode (KTR4_config_TTL_IO_MODE): the lines of axes 1 and 2 are all inputs. */
#define KTR4_TTL_ALL_IN 0
/** TTL I/O mode: axis 1's four lines are outputs (points 4-7), axis 2's inputs. */
#define KTR4_TTL_1_OUT 1
/** TTL I/O mode: axis 2's four lines are outputs (points 8-11), axis 1's inputs. */
#define KTR4_TTL_2_OUT 2
/** TTL I/O mode: all eight lines are outputs. */
#define KTR4_TTL_ALL_OUT 3

/** Input point (KTR4_read_point_status): SD, slow-down. */
#define KTR4_POINT_SD 0
/** Input point: PCS, position-change start. */
#define KTR4_POINT_PCS 1
/** Input point: INP, in position. */
#define KTR4_POINT_INP 2
/** Input point: ALM, alarm. */
#define KTR4_POINT_ALM 3
/** Input point: HOME sensor. */
#define KTR4_POINT_HOME 4
/** Input point: EZ, the encoder's index pulse. */
#define KTR4_POINT_EZ 5
/** Input point: state of the SVON (servo-on) output. */
#define KTR4_POINT_SVON 6
/** Input point: LTC, latch. */
#define KTR4_POINT_LTC 7
/** Input point: state of the ARST (alarm reset) output. */
#define KTR4_POINT_ARST 8
/** Input point: state of the OUT2 general output. */
#define KTR4_POINT_OUT2 9
/** Input point: EMG, the emergency-stop input. */
#define KTR4_POINT_EMG 10
/** Input point: state of the ERC (error-counter clear) output. */
#define KTR4_POINT_ERC 11
/** Input point: EL+, the + end-limit switch. */
#define KTR4_POINT_EL_PLUS 12
/** Input point: EL-, the - end-limit switch. */
#define KTR4_POINT_EL_MINUS 13
/** Input point: state of the CMP (comparator) output. */
#define KTR4_POINT_CMP 14
/** Input point: the manual pulser's phase A. */
#define KTR4_POINT_PULSER_A 15
/** Input point: the manual pulser's phase B. */
#define KTR4_POINT_PULSER_B 16
/** Input point: the first TTL input (axis 1's lines, 17-20; axis 2's, 21-24). */
#define KTR4_POINT_TTL_IN_0 17
/** Output point (KTR4_write_output_point): SVON, servo on. */
#define KTR4_OUT_SVON 0
/** Output point: ARST, alarm reset to the drive. */
#define KTR4_OUT_ARST 1
/** Output point: OUT2, a general output. */
#define KTR4_OUT_OUT2 2
/** Output point: ERC, error-counter clear, by hand. */
#define KTR4_OUT_ERC 3
/** Output point: the first TTL output (axis 1's lines, 4-7; axis 2's, 8-11). */
#define KTR4_OUT_TTL_0 4

/** Event bit (event factor, event flag, interrupt source): a move ended, for any reason. */
#define KTR4_EVENT_END 0x00000001u
/** Event bit: a continuous move took the buffered move (the buffer has room for the next). */
#define KTR4_EVENT_NEXT 0x00000002u
/** Event bit: acceleration to the maximum speed finished. */
#define KTR4_EVENT_ACCEL_END 0x00000010u
/** Event bit: deceleration began. */
#define KTR4_EVENT_DECEL_START 0x00000020u
/** Event bit: the comparator's condition became true. */
#define KTR4_EVENT_COMPARE 0x00000040u
/** Event bit: LTC latched a counter. */
#define KTR4_EVENT_LATCH 0x00000080u
/** Event bit: SD turned on during a move. */
#define KTR4_EVENT_SD 0x00000100u
/** Event bit: HOME turned on during a move. */
#define KTR4_EVENT_HOME 0x00000200u
/** Event bit: an EZ pulse was counted during an origin return. */
#define KTR4_EVENT_EZ 0x00001000u
/** Event bit: INP turned on after a move. */
#define KTR4_EVENT_INP 0x00004000u
/** Event bit: an origin return ended on its final signal. */
#define KTR4_EVENT_HOME_DONE 0x00010000u
/** Every event bit above. */
#define KTR4_EVENT_ALL 0x000153F3u

/** Error flag bit (KTR4_read_error_flag): stopped (or flagged) by the + soft limit. */
#define KTR4_ERROR_SOFT_PLUS 0x00000001u
/** Error flag bit: stopped (or flagged) by the - soft limit. */
#define KTR4_ERROR_SOFT_MINUS 0x00000002u
/** Error flag bit: stopped by the EL+ switch. */
#define KTR4_ERROR_EL_PLUS 0x00000004u
/** Error flag bit: stopped by the EL- switch. */
#define KTR4_ERROR_EL_MINUS 0x00000008u
/** Error flag bit: stopped by the alarm input ALM. */
#define KTR4_ERROR_ALARM 0x00000010u
/** Error flag bit: stopped by the comparator (action KTR4_CMP_ACT_STOP or KTR4_CMP_ACT_DECEL_STOP). */
#define KTR4_ERROR_COMPARE_STOP 0x00000020u
/** Error flag bit: an origin return or search ended without finding its signal. */
#define KTR4_ERROR_HOME_NOT_FOUND 0x00000040u

/** Main status bit: the axis is stopped (KTR4_read_motion_status kind 0). */
#define KTR4_STATUS_STOPPED 0x0008u
/** Main status bit: the + soft limit was reached (KTR4_read_softlimit_flag flag_plus). */
#define KTR4_STATUS_SOFT_PLUS 0x0100u
/** Main status bit: the - soft limit was reached. */
#define KTR4_STATUS_SOFT_MINUS 0x0200u
/** Main status bit: the compare flag (KTR4_read_compare_flag). */
#define KTR4_STATUS_COMPARE 0x1000u
/** Main status bit: the continuous buffer is full (KTR4_read_motion_status kind 1). */
#define KTR4_STATUS_BUFFER_FULL 0x4000u

/** Interrupt status field bit (KTR4_read_INT_status field): an event interrupt is pending. */
#define KTR4_INT_EVENT 1
/** Interrupt status field bit: an error interrupt is pending. */
#define KTR4_INT_ERROR 2

/** @} */

/**
 * @defgroup frame Starting, ending and the card
 * Call KTR4_initial once at the start, KTR4_init_card for each card whose settings you want at
 * their defaults, and KTR4_close at the end. KTR4_error_text turns any result code into a text;
 * KTR4_driver_load_error tells why the driver did not load.
 * @{
 */
/**
 * @brief Loads the card driver, finds every card and registers it under the number set on its card
 *   number switch.
 *
 * Call it once before anything else. It resets the library's per-axis state of all 16 card numbers
 * (speed ranges, continuous flags, interrupt masks, followers, commanded end positions), opens
 * every card found at the driver, raises the process's scheduling priority as far as the system
 * allows, and starts the 20 ms timer of the pulser follower. It does not touch the card's
 * registers: KTR4_init_card does that.
 *
 * The driver is loaded at the first call: on POSIX the file named by the environment variable
 * KTR4IO_LIBRARY, by default the simulated card libktr4sim.so beside libktr4; on Windows
 * KTR4IO.dll. A failed load is retried at the next call; KTR4_driver_load_error tells why it
 * failed.
 *
 * Calling it again finds the cards anew (for example after KTR4_close).
 *
 * @retval KTR4_OK every card found is registered.
 * @retval KTR4_ERR_DUPLICATE_CARD two cards are set to the same card number; the cards before the
 *   second one are registered.
 * @retval KTR4_ERR_THREAD the follower timer's thread could not be started; the cards are
 *   registered.
 * @retval KTR4_ERR_DRIVER_LOAD the driver library could not be loaded; no card is registered.
 * @retval KTR4_ERR_DRIVER_OPERATION the driver library lacks one of the operations of ktr4io.h; no
 *   card is registered.
 * @retval other a driver call failed: the first failure's code.
 * @note No card at all is not an error: every card number then answers KTR4_ERR_NOT_INITIALISED.
 * @par Example
 * @code
 * // The start of a program: find the cards and set card 0 to its defaults.
 * int32_t rc = KTR4_initial();
 * if (rc != KTR4_OK) {
 *     char why[512];
 *     KTR4_driver_load_error(why, sizeof why);
 *     fprintf(stderr, "KTR4_initial: %s %s\n", KTR4_error_text(rc), why);
 *     return 1;
 * }
 * return KTR4_init_card(0) == KTR4_OK ? 0 : 1;
 * @endcode
 * @see KTR4_init_card, KTR4_close, KTR4_driver_load_error
 */
KTR4_API int32_t KTR4_CALL KTR4_initial(void);

/**
 * @brief Puts one card into its default state: outputs off, axes stopped, counters zero, pins and
 *   modes at their defaults.
 *
 * Use it once after KTR4_initial for each card whose previous settings you do not want to inherit
 * (a card keeps its registers while the computer runs). In order it switches the general output
 * points 0..3 of every axis off, sets the correction speed register, writes the default pin and
 * pulse configuration words (pulse output mode, sensor pins, EL mode, home mode 0 and count 0),
 * stops every axis at once (KTR4_imd_stop), clears the command, feedback and pulser counters, and
 * sets TTL I/O mode 0.
 *
 * It does not change what the library keeps per axis (speed range, continuous flag, backlash
 * correction speed): KTR4_initial resets those.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @note A moving axis is stopped at once, without deceleration.
 * @see KTR4_initial, KTR4_imd_stop
 */
KTR4_API int32_t KTR4_CALL KTR4_init_card(ktr4_u8 card);

/**
 * @brief Releases every card: closes it at the driver, switches its interrupts off and ends the
 *   library's threads.
 *
 * After it returns no library thread runs (interrupt service threads and the follower timer are
 * joined) and every export that needs a card answers KTR4_ERR_NOT_INITIALISED without touching the
 * card, until KTR4_initial is called again.
 *
 * It does not stop the axes: a move in progress runs on to its end on the card. Stop them first
 * (KTR4_emg_stop or KTR4_dec_stop) if the machine must stand still.
 *
 * @retval KTR4_OK every card is released (also when none was registered).
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_initial, KTR4_emg_stop
 */
KTR4_API int32_t KTR4_CALL KTR4_close(void);

/**
 * @brief Reads the 16-bit information word the driver reports for a card.
 *
 * The word is bytes 4-5 of the driver's card information record (see ktr4io_card_info); its meaning
 * belongs to the driver and the card model, the library does not interpret it. The simulated card
 * reports 0x0100 unless ktr4sim_set_info_word sets another value.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param info Out: the information word; untouched when the driver call fails.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @par Example
 * @code
 * uint16_t info = 0;
 * if (KTR4_info(0, &info) != KTR4_OK) return 1;
 * printf("card 0 reports 0x%04x\n", info);
 * return info == 0x0100 ? 0 : 1;   // the simulated card's word
 * @endcode
 */
KTR4_API int32_t KTR4_CALL KTR4_info(ktr4_u8 card, uint16_t* info);

/**
 * @brief Gives a constant English text for a result code.
 *
 * Every code an export can return has its own text: the library's codes, the loader's (900, 901)
 * and the simulated card driver's (1001..1004). Any other number gets a text that says the code is
 * unknown and shows the number; a real card's driver may return such codes of its own.
 *
 * @param code Any result code.
 * @note Needs no card and takes no lock. The texts of known codes are valid for the life of the
 *   process. The text of an unknown code lives in a buffer of the calling thread, valid until
 *   that thread asks for the next unknown code; copy it if you need it longer.
 * @par Example
 * @code
 * printf("303: %s\n", KTR4_error_text(KTR4_ERR_MOVING));
 * printf("7: %s\n", KTR4_error_text(7));   // unknown result code 7 ...
 * return strcmp(KTR4_error_text(KTR4_OK), "success") == 0 ? 0 : 1;
 * @endcode
 * @see KTR4_driver_load_error
 */
KTR4_API const char* KTR4_CALL KTR4_error_text(int32_t code);

/**
 * @brief Tells why the driver library did not load: the file tried and the system's reason.
 *
 * After a KTR4_initial that returned KTR4_ERR_DRIVER_LOAD the text is the system loader's message,
 * which names the file ("/opt/x/libdrv.so: cannot open shared object file: No such file or
 * directory"); after KTR4_ERR_DRIVER_OPERATION it names the file and the missing operation ("...:
 * lacks the operation ktr4io_write_register"). The text is empty when no load has failed or the
 * driver has loaded since.
 *
 * @param text Out: the text, NUL-terminated; cut to size - 1 bytes when longer.
 * @param size Size of the text buffer in bytes, at least 1; 512 bytes hold any usual path and
 *   reason.
 * @retval KTR4_OK the whole text was copied.
 * @retval KTR4_ERR_RANGE text is NULL or size is 0 (nothing written), or the text was cut to fit.
 * @note Takes the library's lock, so it is safe while another thread runs KTR4_initial.
 * @par Example
 * @code
 * char why[512];
 * if (KTR4_driver_load_error(why, sizeof why) != KTR4_OK) return 1;
 * return why[0] == '\0' ? 0 : 1;   // empty: the driver loaded
 * @endcode
 * @see KTR4_initial, KTR4_error_text
 */
KTR4_API int32_t KTR4_CALL KTR4_driver_load_error(char* text, uint32_t size);

/** @} */

/**
 * @defgroup pins Pulse I/O and pin configuration
 * How pulses leave the card and encoder pulses enter it, and the options of the sensor inputs (SD,
 * PCS, INP, ALM, LTC, EL, HOME, EZ) and outputs (ERC, CMP). Each setter has a readback. Flag
 * arguments: 0 clears, any other value sets (low byte). Each function's page has the table of its
 * codes (KTR4_PULSE_OUT_..., KTR4_LOGIC_..., ...); ktr4-card(7) has them all. None of them needs a
 * stopped axis; the SD, PCS and INP enables take effect at the next move start.
 * @{
 */
/**
 * @brief Configures the axis's pulse output mode (how pulses and direction leave the card).
 *
 * | mode | name | output |
 * | 0 | KTR4_PULSE_OUT_DIR_LOW_PLUS_HIGH | pulse and direction; pulses active low; direction high for + |
 * | 1 | KTR4_PULSE_OUT_DIR_HIGH_PLUS_HIGH | pulse and direction; pulses active high; direction high for + |
 * | 2 | KTR4_PULSE_OUT_DIR_LOW_PLUS_LOW | pulse and direction; pulses active low; direction low for + |
 * | 3 | KTR4_PULSE_OUT_DIR_HIGH_PLUS_LOW | pulse and direction; pulses active high; direction low for + |
 * | 4 | KTR4_PULSE_OUT_CW_CCW_LOW | two pulse lines (CW for +, CCW for -), active low |
 * | 5 | KTR4_PULSE_OUT_CW_CCW_HIGH | two pulse lines, active high; written as the card's field code 7
 *   (KTR4_init_card's setting) |
 *
 * The field is bits 0-2 of configuration word 1. Field codes 5 and 6, which only a configuration file
 * can set, read back as 5 and act as 7.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Output mode 0..5, a KTR4_PULSE_OUT_ code of the table; above 5 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE mode above 5; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_pulse_outmode
 */
KTR4_API int32_t KTR4_CALL KTR4_set_pulse_outmode(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode);

/**
 * @brief Reads back the configuration of the axis's pulse output mode (how pulses and direction
 *   leave the card).
 *
 * | mode | name | output |
 * | 0 | KTR4_PULSE_OUT_DIR_LOW_PLUS_HIGH | pulse and direction; pulses active low; direction high for + |
 * | 1 | KTR4_PULSE_OUT_DIR_HIGH_PLUS_HIGH | pulse and direction; pulses active high; direction high for + |
 * | 2 | KTR4_PULSE_OUT_DIR_LOW_PLUS_LOW | pulse and direction; pulses active low; direction low for + |
 * | 3 | KTR4_PULSE_OUT_DIR_HIGH_PLUS_LOW | pulse and direction; pulses active high; direction low for + |
 * | 4 | KTR4_PULSE_OUT_CW_CCW_LOW | two pulse lines (CW for +, CCW for -), active low |
 * | 5 | KTR4_PULSE_OUT_CW_CCW_HIGH | two pulse lines, active high; written as the card's field code 7
 *   (KTR4_init_card's setting) |
 *
 * The field is bits 0-2 of configuration word 1. Field codes 5 and 6, which only a configuration file
 * can set, read back as 5 and act as 7.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Out: 0..5, a KTR4_PULSE_OUT_ code; a field code above 5 (left by KTR4_init_card or a
 *   configuration file) reads as 5.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_set_pulse_outmode
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_pulse_outmode(ktr4_u8 card, ktr4_u8 axis, uint8_t* mode);

/**
 * @brief Configures the axis's encoder (feedback) input mode.
 *
 * | mode | name | decoding |
 * | 0 | KTR4_PULSE_IN_AB_X1 | A/B phase, counted once per cycle |
 * | 1 | KTR4_PULSE_IN_AB_X2 | A/B phase, counted twice per cycle |
 * | 2 | KTR4_PULSE_IN_AB_X4 | A/B phase, counted four times per cycle (KTR4_init_card's setting) |
 * | 3 | KTR4_PULSE_IN_UP_DOWN | two count lines, one counting up, one down |
 *
 * | direction | name | counting |
 * | 0 | KTR4_PULSE_IN_NORMAL | the feedback counter counts up with + motion |
 * | 1 | KTR4_PULSE_IN_REVERSED | the feedback counter counts the other way |
 *
 * The mode is bits 20-21 of configuration word 2, the direction bit 22.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Input mode 0..3, a KTR4_PULSE_IN_ code of the table; above 3 gives KTR4_ERR_RANGE.
 * @param direction KTR4_PULSE_IN_NORMAL (0) or KTR4_PULSE_IN_REVERSED (1); above 1 gives
 *   KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE mode above 3 or direction above 1; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_pulse_inmode
 */
KTR4_API int32_t KTR4_CALL KTR4_set_pulse_inmode(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode, ktr4_u8 direction);

/**
 * @brief Reads back the configuration of the axis's encoder (feedback) input mode.
 *
 * | mode | name | decoding |
 * | 0 | KTR4_PULSE_IN_AB_X1 | A/B phase, counted once per cycle |
 * | 1 | KTR4_PULSE_IN_AB_X2 | A/B phase, counted twice per cycle |
 * | 2 | KTR4_PULSE_IN_AB_X4 | A/B phase, counted four times per cycle (KTR4_init_card's setting) |
 * | 3 | KTR4_PULSE_IN_UP_DOWN | two count lines, one counting up, one down |
 *
 * | direction | name | counting |
 * | 0 | KTR4_PULSE_IN_NORMAL | the feedback counter counts up with + motion |
 * | 1 | KTR4_PULSE_IN_REVERSED | the feedback counter counts the other way |
 *
 * The mode is bits 20-21 of configuration word 2, the direction bit 22.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Out: 0..3, a KTR4_PULSE_IN_ mode.
 * @param direction Out: KTR4_PULSE_IN_NORMAL (0) or KTR4_PULSE_IN_REVERSED (1).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_set_pulse_inmode
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_pulse_inmode(ktr4_u8 card, ktr4_u8 axis, uint8_t* mode, uint8_t* direction);

/**
 * @brief Configures the SD (slow-down) input of the axis.
 *
 * | argument | value | effect |
 * | enable | 0, 1 | moves ignore SD, or obey it (operation-mode bit 8, taken at the next move start) |
 * | logic | KTR4_LOGIC_NORMAL (0) | SD is on inside its zone (configuration word 1 bit 6) |
 * | logic | KTR4_LOGIC_INVERTED (1) | SD is on outside its zone |
 * | stop | KTR4_SD_SLOW (0) | SD slows the axis to its start speed and the move goes on (bit 5) |
 * | stop | KTR4_SD_STOP (1) | SD decelerates the axis to a stop: the move ends, with no error bit |
 * | latch | KTR4_SD_WHILE_ON (0) | slowed only while SD is on, back to the operating speed after it turns
 *   off (bit 4) |
 * | latch | KTR4_SD_LATCHED (1) | once SD turned on, slowed until the move ends |
 *
 * Each direction of travel has its SD input: SD+ acts on moves in the + direction, SD- on moves in
 * the - direction. SD turning on during a move records KTR4_EVENT_SD. Its present state is point
 * KTR4_POINT_SD of KTR4_read_point_status (pin input status bit 15).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enable Whether moves obey the SD input: 0 clears, any other value sets (low byte counts).
 *   Takes effect at the next move start.
 * @param logic KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (any other value; low byte counts).
 * @param stop KTR4_SD_SLOW (0) or KTR4_SD_STOP (any other value; low byte counts).
 * @param latch KTR4_SD_WHILE_ON (0) or KTR4_SD_LATCHED (any other value; low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_SD_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_config_SD_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable, ktr4_u8 logic, ktr4_u8 stop,
                                              ktr4_u8 latch);

/**
 * @brief Reads back the configuration of the SD (slow-down) input of the axis.
 *
 * | argument | value | effect |
 * | enable | 0, 1 | moves ignore SD, or obey it (operation-mode bit 8, taken at the next move start) |
 * | logic | KTR4_LOGIC_NORMAL (0) | SD is on inside its zone (configuration word 1 bit 6) |
 * | logic | KTR4_LOGIC_INVERTED (1) | SD is on outside its zone |
 * | stop | KTR4_SD_SLOW (0) | SD slows the axis to its start speed and the move goes on (bit 5) |
 * | stop | KTR4_SD_STOP (1) | SD decelerates the axis to a stop: the move ends, with no error bit |
 * | latch | KTR4_SD_WHILE_ON (0) | slowed only while SD is on, back to the operating speed after it turns
 *   off (bit 4) |
 * | latch | KTR4_SD_LATCHED (1) | once SD turned on, slowed until the move ends |
 *
 * Each direction of travel has its SD input: SD+ acts on moves in the + direction, SD- on moves in
 * the - direction. SD turning on during a move records KTR4_EVENT_SD. Its present state is point
 * KTR4_POINT_SD of KTR4_read_point_status (pin input status bit 15).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enable Out: 0 or 1, as last set by KTR4_config_SD_PIN (kept by the library).
 * @param logic Out: KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (1).
 * @param stop Out: KTR4_SD_SLOW (0) or KTR4_SD_STOP (1).
 * @param latch Out: KTR4_SD_WHILE_ON (0) or KTR4_SD_LATCHED (1).
 * @param state Out: the present state of the SD input (after its logic), 0 off or 1 on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_SD_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_SD_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t* enable, uint8_t* logic,
                                                uint8_t* stop, uint8_t* latch, uint8_t* state);

/**
 * @brief Configures the PCS (position-change start) input of the axis.
 *
 * | argument | value | effect |
 * | enable | 0 | a position move counts its amount from its start (operation-mode bit 14 clear) |
 * | enable | 1 | a position move runs as a velocity move until PCS turns on; its amount counts from there |
 * | logic | KTR4_LOGIC_NORMAL (0) | PCS is on when its input is active (configuration word 1 bit 24) |
 * | logic | KTR4_LOGIC_INVERTED (1) | inverted |
 *
 * The enable is taken at the next move start. Present state: point KTR4_POINT_PCS of
 * KTR4_read_point_status (pin input status bit 8).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enable Whether moves obey PCS: 0 clears, any other value sets (low byte counts). Takes
 *   effect at the next move start.
 * @param logic KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (any other value; low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_PCS_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_config_PCS_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable, ktr4_u8 logic);

/**
 * @brief Reads back the configuration of the PCS (position-change start) input of the axis.
 *
 * | argument | value | effect |
 * | enable | 0 | a position move counts its amount from its start (operation-mode bit 14 clear) |
 * | enable | 1 | a position move runs as a velocity move until PCS turns on; its amount counts from there |
 * | logic | KTR4_LOGIC_NORMAL (0) | PCS is on when its input is active (configuration word 1 bit 24) |
 * | logic | KTR4_LOGIC_INVERTED (1) | inverted |
 *
 * The enable is taken at the next move start. Present state: point KTR4_POINT_PCS of
 * KTR4_read_point_status (pin input status bit 8).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enable Out: 0 or 1, as last set (kept by the library).
 * @param logic Out: KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (1).
 * @param state Out: present state of PCS (after its logic), 0 off or 1 on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_PCS_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_PCS_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t* enable, uint8_t* logic,
                                                 uint8_t* state);

/**
 * @brief Configures the INP (in-position) input of the axis.
 *
 * | argument | value | effect |
 * | enable | 0 | a move ends with its last pulse (operation-mode bit 9 clear) |
 * | enable | 1 | a move ends (stopped bit, KTR4_EVENT_END) only when INP is on after its last pulse |
 * | logic | KTR4_LOGIC_NORMAL (0) | INP is on when its input is active (configuration word 1 bit 22) |
 * | logic | KTR4_LOGIC_INVERTED (1) | inverted |
 *
 * The enable is taken at the next move start. INP turning on after a move records KTR4_EVENT_INP.
 * Present state: point KTR4_POINT_INP of KTR4_read_point_status (pin input status bit 16).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enable Whether the card uses the INP input: 0 clears, any other value sets (low byte
 *   counts). Takes effect at the next move start.
 * @param logic KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (any other value; low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_INP_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_config_INP_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable, ktr4_u8 logic);

/**
 * @brief Reads back the configuration of the INP (in-position) input of the axis.
 *
 * | argument | value | effect |
 * | enable | 0 | a move ends with its last pulse (operation-mode bit 9 clear) |
 * | enable | 1 | a move ends (stopped bit, KTR4_EVENT_END) only when INP is on after its last pulse |
 * | logic | KTR4_LOGIC_NORMAL (0) | INP is on when its input is active (configuration word 1 bit 22) |
 * | logic | KTR4_LOGIC_INVERTED (1) | inverted |
 *
 * The enable is taken at the next move start. INP turning on after a move records KTR4_EVENT_INP.
 * Present state: point KTR4_POINT_INP of KTR4_read_point_status (pin input status bit 16).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enable Out: 0 or 1, as last set (kept by the library).
 * @param logic Out: KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (1).
 * @param state Out: present state of INP (after its logic), 0 off or 1 on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_INP_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_INP_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t* enable, uint8_t* logic,
                                                 uint8_t* state);

/**
 * @brief Configures the ERC (deviation counter clear) output of the axis.
 *
 * | argument | value | effect |
 * | at_home_end | 0 | no ERC pulse at the end of an origin return; the width field is written as
 *   KTR4_ERC_WIDTH_LEVEL (configuration word 1 bit 11 clear) |
 * | at_home_end | 1 | an ERC pulse when an origin return ends on its final signal |
 * | active_high | 0, 1 | ERC is active low, or active high (bit 15) |
 *
 * | width | name | ERC pulse width (bits 12-14) |
 * | 0 | KTR4_ERC_WIDTH_12US | 12 microseconds |
 * | 1 | KTR4_ERC_WIDTH_102US | 102 microseconds |
 * | 2 | KTR4_ERC_WIDTH_409US | 409 microseconds |
 * | 3 | KTR4_ERC_WIDTH_1600US | 1.6 ms |
 * | 4 | KTR4_ERC_WIDTH_13MS | 13 ms |
 * | 5 | KTR4_ERC_WIDTH_52MS | 52 ms |
 * | 6 | KTR4_ERC_WIDTH_104MS | 104 ms |
 * | 7 | KTR4_ERC_WIDTH_LEVEL | a level, held until the next move starts (KTR4_init_card's setting) |
 *
 * | off_time | name | time ERC stays off after a pulse (the card's field, bits 16-17) |
 * | 0 | KTR4_ERC_OFF_0US | none (field 0) |
 * | 1 | KTR4_ERC_OFF_12US | 12 microseconds (field 1) |
 * | 2 | (none) | none: writes field 0, as KTR4_ERC_OFF_0US |
 * | 3 | KTR4_ERC_OFF_1600US | 1.6 ms (field 2) |
 *
 * Field 3, 104 ms, is KTR4_init_card's setting; no argument writes it. Output point KTR4_OUT_ERC
 * switches ERC by hand; its present state is point KTR4_POINT_ERC (pin input status bit 9).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param at_home_end ERC pulse at the end of an origin return: 0 clears, any other value sets (low
 *   byte counts). With 0 the width field is written as KTR4_ERC_WIDTH_LEVEL.
 * @param active_high 0 active low, any other value active high (low byte counts).
 * @param width Pulse width 0..7, a KTR4_ERC_WIDTH_ code (used only when at_home_end is not 0); above
 *   7 gives KTR4_ERR_RANGE.
 * @param off_time Off time 0..3 of the table: 0 and 2 write the card's field 0, 1 field 1, 3 field
 *   2; above 3 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE width above 7 or off_time above 3; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_ERC_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_config_ERC_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 at_home_end, ktr4_u8 active_high,
                                               ktr4_u8 width, ktr4_u8 off_time);

/**
 * @brief Reads back the configuration of the ERC (deviation counter clear) output of the axis.
 *
 * | argument | value | effect |
 * | at_home_end | 0 | no ERC pulse at the end of an origin return; the width field is written as
 *   KTR4_ERC_WIDTH_LEVEL (configuration word 1 bit 11 clear) |
 * | at_home_end | 1 | an ERC pulse when an origin return ends on its final signal |
 * | active_high | 0, 1 | ERC is active low, or active high (bit 15) |
 *
 * | width | name | ERC pulse width (bits 12-14) |
 * | 0 | KTR4_ERC_WIDTH_12US | 12 microseconds |
 * | 1 | KTR4_ERC_WIDTH_102US | 102 microseconds |
 * | 2 | KTR4_ERC_WIDTH_409US | 409 microseconds |
 * | 3 | KTR4_ERC_WIDTH_1600US | 1.6 ms |
 * | 4 | KTR4_ERC_WIDTH_13MS | 13 ms |
 * | 5 | KTR4_ERC_WIDTH_52MS | 52 ms |
 * | 6 | KTR4_ERC_WIDTH_104MS | 104 ms |
 * | 7 | KTR4_ERC_WIDTH_LEVEL | a level, held until the next move starts (KTR4_init_card's setting) |
 *
 * | off_time | name | time ERC stays off after a pulse (the card's field, bits 16-17) |
 * | 0 | KTR4_ERC_OFF_0US | none (field 0) |
 * | 1 | KTR4_ERC_OFF_12US | 12 microseconds (field 1) |
 * | 2 | (none) | none: writes field 0, as KTR4_ERC_OFF_0US |
 * | 3 | KTR4_ERC_OFF_1600US | 1.6 ms (field 2) |
 *
 * Field 3, 104 ms, is KTR4_init_card's setting; no argument writes it. Output point KTR4_OUT_ERC
 * switches ERC by hand; its present state is point KTR4_POINT_ERC (pin input status bit 9).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param at_home_end Out: 0 or 1.
 * @param active_high Out: 0 or 1.
 * @param width Out: 0..7, a KTR4_ERC_WIDTH_ code.
 * @param off_time Out: the card's field 0..3: 0 none (KTR4_ERC_OFF_0US, also what argument 2
 *   writes), 1 12 microseconds (KTR4_ERC_OFF_12US), 2 1.6 ms (written by KTR4_ERC_OFF_1600US), 3 104 ms
 *   (KTR4_init_card's setting).
 * @param state Out: present state of ERC, 0 off or 1 on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_ERC_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_ERC_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t* at_home_end, uint8_t* active_high,
                                                 uint8_t* width, uint8_t* off_time, uint8_t* state);

/**
 * @brief Configures the ALM (servo alarm) input of the axis.
 *
 * | argument | value | effect |
 * | stop | KTR4_ALM_STOP (0) | an alarm stops the axis at once (configuration word 1 bit 9; KTR4_init_card's
 *   setting) |
 * | stop | KTR4_ALM_DECEL_STOP (1) | an alarm decelerates the axis to a stop |
 * | logic | KTR4_LOGIC_NORMAL (0) | ALM is on when its input is active (bit 8) |
 * | logic | KTR4_LOGIC_INVERTED (1) | inverted |
 *
 * ALM turning on stops a moving axis and sets KTR4_ERROR_ALARM in its error flag; a move started
 * while ALM is on ends at once with that bit. Present state: point KTR4_POINT_ALM of
 * KTR4_read_point_status (sub-status bit 11). Output point KTR4_OUT_ARST resets the drive's alarm.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param stop KTR4_ALM_STOP (0) or KTR4_ALM_DECEL_STOP (any other value; low byte counts).
 * @param logic KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (any other value; low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_ALM_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_config_ALM_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 stop, ktr4_u8 logic);

/**
 * @brief Reads back the configuration of the ALM (servo alarm) input of the axis.
 *
 * | argument | value | effect |
 * | stop | KTR4_ALM_STOP (0) | an alarm stops the axis at once (configuration word 1 bit 9; KTR4_init_card's
 *   setting) |
 * | stop | KTR4_ALM_DECEL_STOP (1) | an alarm decelerates the axis to a stop |
 * | logic | KTR4_LOGIC_NORMAL (0) | ALM is on when its input is active (bit 8) |
 * | logic | KTR4_LOGIC_INVERTED (1) | inverted |
 *
 * ALM turning on stops a moving axis and sets KTR4_ERROR_ALARM in its error flag; a move started
 * while ALM is on ends at once with that bit. Present state: point KTR4_POINT_ALM of
 * KTR4_read_point_status (sub-status bit 11). Output point KTR4_OUT_ARST resets the drive's alarm.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param stop Out: KTR4_ALM_STOP (0) or KTR4_ALM_DECEL_STOP (1).
 * @param logic Out: KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (1).
 * @param state Out: present state of ALM (after its logic), 0 off or 1 on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_ALM_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_ALM_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t* stop, uint8_t* logic,
                                                 uint8_t* state);

/**
 * @brief Configures the LTC (latch) input of the axis.
 *
 * | argument | value | effect |
 * | counter | KTR4_LTC_COMMAND (0) | LTC latches the command position counter (latch word bit 15 set) |
 * | counter | KTR4_LTC_FEEDBACK (1) | LTC latches the feedback counter (latch word bit 15 clear) |
 * | logic | KTR4_LOGIC_NORMAL (0) | LTC is on when its input is active (configuration word 1 bit 23) |
 * | logic | KTR4_LOGIC_INVERTED (1) | inverted |
 *
 * The counter is latched when LTC turns on; KTR4_read_FBcounter_latch_value reads it, and
 * KTR4_EVENT_LATCH is recorded. Present state: point KTR4_POINT_LTC of KTR4_read_point_status (pin
 * input status bit 14).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param counter KTR4_LTC_COMMAND (0) or KTR4_LTC_FEEDBACK (any other value; low byte counts).
 * @param logic KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (any other value; low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_LTC_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_config_LTC_PIN(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 counter, ktr4_u8 logic);

/**
 * @brief Reads back the configuration of the LTC (latch) input of the axis.
 *
 * | argument | value | effect |
 * | counter | KTR4_LTC_COMMAND (0) | LTC latches the command position counter (latch word bit 15 set) |
 * | counter | KTR4_LTC_FEEDBACK (1) | LTC latches the feedback counter (latch word bit 15 clear) |
 * | logic | KTR4_LOGIC_NORMAL (0) | LTC is on when its input is active (configuration word 1 bit 23) |
 * | logic | KTR4_LOGIC_INVERTED (1) | inverted |
 *
 * The counter is latched when LTC turns on; KTR4_read_FBcounter_latch_value reads it, and
 * KTR4_EVENT_LATCH is recorded. Present state: point KTR4_POINT_LTC of KTR4_read_point_status (pin
 * input status bit 14).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param counter Out: KTR4_LTC_COMMAND (0) or KTR4_LTC_FEEDBACK (1).
 * @param logic Out: KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (1).
 * @param state Out: present state of LTC (after its logic), 0 off or 1 on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_LTC_PIN
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_LTC_PIN(ktr4_u8 card, ktr4_u8 axis, uint8_t* counter, uint8_t* logic,
                                                 uint8_t* state);

/**
 * @brief Configures the CMP (comparator) output of the axis.
 *
 * | mode | name | CMP output |
 * | 0 | KTR4_CMP_OUT_LEVEL | on while the compare flag is set (KTR4_init_card's setting) |
 * | 1 | KTR4_CMP_OUT_PULSE | a 1 ms pulse each time the comparator's condition becomes true |
 * | 2 | KTR4_CMP_OUT_OFF | not driven by the comparator: stays off |
 *
 * The mode is written as mode + 1 to bits 14-15 of configuration word 2; a field of 0 (only a
 * configuration file sets it) reads back as 255 and acts as KTR4_CMP_OUT_OFF. Present state: point
 * KTR4_POINT_CMP of KTR4_read_point_status (sub-status bit 7, inverted).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Output mode 0..2, a KTR4_CMP_OUT_ code of the table; above 2 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE mode above 2; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_CMP_OUT
 */
KTR4_API int32_t KTR4_CALL KTR4_config_CMP_OUT(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode);

/**
 * @brief Reads back the configuration of the CMP (comparator) output of the axis.
 *
 * | mode | name | CMP output |
 * | 0 | KTR4_CMP_OUT_LEVEL | on while the compare flag is set (KTR4_init_card's setting) |
 * | 1 | KTR4_CMP_OUT_PULSE | a 1 ms pulse each time the comparator's condition becomes true |
 * | 2 | KTR4_CMP_OUT_OFF | not driven by the comparator: stays off |
 *
 * The mode is written as mode + 1 to bits 14-15 of configuration word 2; a field of 0 (only a
 * configuration file sets it) reads back as 255 and acts as KTR4_CMP_OUT_OFF. Present state: point
 * KTR4_POINT_CMP of KTR4_read_point_status (sub-status bit 7, inverted).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Out: 0..2, a KTR4_CMP_OUT_ code (255 when the card's field is 0, which only a
 *   configuration file can set).
 * @param state Out: present state of CMP, 0 off or 1 on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_CMP_OUT
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_CMP_OUT(ktr4_u8 card, ktr4_u8 axis, uint8_t* mode, uint8_t* state);

/**
 * @brief Configures how the axis stops at its EL (end limit) inputs.
 *
 * | mode | name | an EL switch turning on |
 * | 0 | KTR4_EL_STOP | stops the axis at once (configuration word 1 bit 3 clear; KTR4_init_card's setting) |
 * | 1 | KTR4_EL_DECEL_STOP | decelerates the axis to a stop (the axis ends past the switch) |
 *
 * A move in the + direction stops when EL+ turns on, or at once if EL+ is on already, and sets
 * KTR4_ERROR_EL_PLUS in the error flag; EL- likewise for the - direction with KTR4_ERROR_EL_MINUS.
 * Motion away from an active switch is allowed. Home modes that run into EL (KTR4_HOME_EL_BACK and
 * the modes built on it) stop at it as this mode says, without an error. Present state: points
 * KTR4_POINT_EL_PLUS and KTR4_POINT_EL_MINUS of KTR4_read_point_status.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode KTR4_EL_STOP (0) or KTR4_EL_DECEL_STOP (any other value; low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_EL_MODE
 */
KTR4_API int32_t KTR4_CALL KTR4_config_EL_MODE(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode);

/**
 * @brief Reads back the configuration of how the axis stops at its EL (end limit) inputs.
 *
 * | mode | name | an EL switch turning on |
 * | 0 | KTR4_EL_STOP | stops the axis at once (configuration word 1 bit 3 clear; KTR4_init_card's setting) |
 * | 1 | KTR4_EL_DECEL_STOP | decelerates the axis to a stop (the axis ends past the switch) |
 *
 * A move in the + direction stops when EL+ turns on, or at once if EL+ is on already, and sets
 * KTR4_ERROR_EL_PLUS in the error flag; EL- likewise for the - direction with KTR4_ERROR_EL_MINUS.
 * Motion away from an active switch is allowed. Home modes that run into EL (KTR4_HOME_EL_BACK and
 * the modes built on it) stop at it as this mode says, without an error. Present state: points
 * KTR4_POINT_EL_PLUS and KTR4_POINT_EL_MINUS of KTR4_read_point_status.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Out: KTR4_EL_STOP (0) or KTR4_EL_DECEL_STOP (1).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_EL_MODE
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_EL_MODE(ktr4_u8 card, ktr4_u8 axis, uint8_t* mode);

/**
 * @brief Configures the active level of the HOME input.
 *
 * | logic | name | the card sees HOME |
 * | 0 | KTR4_LOGIC_NORMAL | on where the sensor is on (KTR4_init_card's setting) |
 * | 1 | KTR4_LOGIC_INVERTED | on everywhere except the sensor's zone, so a wrong setting makes a homing
 *   that searches HOME stop at once |
 *
 * The logic is configuration word 1 bit 7; the present state is point KTR4_POINT_HOME of KTR4_read_point_status.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param logic KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (any other value; low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_HOME_pin_logic
 */
KTR4_API int32_t KTR4_CALL KTR4_set_HOME_pin_logic(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 logic);

/**
 * @brief Reads back the configuration of the active level of the HOME input.
 *
 * | logic | name | the card sees HOME |
 * | 0 | KTR4_LOGIC_NORMAL | on where the sensor is on (KTR4_init_card's setting) |
 * | 1 | KTR4_LOGIC_INVERTED | on everywhere except the sensor's zone, so a wrong setting makes a homing
 *   that searches HOME stop at once |
 *
 * The logic is configuration word 1 bit 7; the present state is point KTR4_POINT_HOME of KTR4_read_point_status.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param logic Out: KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (1).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_set_HOME_pin_logic
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_HOME_pin_logic(ktr4_u8 card, ktr4_u8 axis, uint8_t* logic);

/**
 * @brief Configures the active level of the EZ (encoder index) input.
 *
 * | logic | name | the card sees EZ |
 * | 0 | KTR4_LOGIC_NORMAL | on where the sensor is on (KTR4_init_card's setting) |
 * | 1 | KTR4_LOGIC_INVERTED | on everywhere except the sensor's zone, so a wrong setting makes a homing
 *   that searches EZ stop at once |
 *
 * The logic is configuration word 2 bit 23; the present state is point KTR4_POINT_EZ of KTR4_read_point_status.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param logic KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (any other value; low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_EZ_pin_logic
 */
KTR4_API int32_t KTR4_CALL KTR4_set_EZ_pin_logic(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 logic);

/**
 * @brief Reads back the configuration of the active level of the EZ (encoder index) input.
 *
 * | logic | name | the card sees EZ |
 * | 0 | KTR4_LOGIC_NORMAL | on where the sensor is on (KTR4_init_card's setting) |
 * | 1 | KTR4_LOGIC_INVERTED | on everywhere except the sensor's zone, so a wrong setting makes a homing
 *   that searches EZ stop at once |
 *
 * The logic is configuration word 2 bit 23; the present state is point KTR4_POINT_EZ of KTR4_read_point_status.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param logic Out: KTR4_LOGIC_NORMAL (0) or KTR4_LOGIC_INVERTED (1).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_set_EZ_pin_logic
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_EZ_pin_logic(ktr4_u8 card, ktr4_u8 axis, uint8_t* logic);

/**
 * @brief Chooses which of the card's TTL lines are inputs and which are outputs.
 *
 * Mode bit 0 makes the four lines of axis 1 outputs, bit 1 those of axis 2:
 *
 * | mode | name | axis 1's four lines | axis 2's four lines |
 * | 0 | KTR4_TTL_ALL_IN | inputs (points 17-20) | inputs (points 21-24) |
 * | 1 | KTR4_TTL_1_OUT | outputs (output points 4-7) | inputs (points 21-24) |
 * | 2 | KTR4_TTL_2_OUT | inputs (points 17-20) | outputs (output points 8-11) |
 * | 3 | KTR4_TTL_ALL_OUT | outputs (output points 4-7) | outputs (output points 8-11) |
 *
 * Inputs are read with KTR4_read_point_status, outputs switched with KTR4_write_output_point, from
 * any axis argument. KTR4_init_card sets KTR4_TTL_ALL_IN.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param mode 0..3, a KTR4_TTL_ code of the table; above 3 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE mode above 3; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_TTL_IO_MODE, KTR4_write_output_point
 */
KTR4_API int32_t KTR4_CALL KTR4_config_TTL_IO_MODE(ktr4_u8 card, ktr4_u8 mode);

/**
 * @brief Reads back the TTL I/O mode.
 *
 * | mode | name | axis 1's four lines | axis 2's four lines |
 * | 0 | KTR4_TTL_ALL_IN | inputs (points 17-20) | inputs (points 21-24) |
 * | 1 | KTR4_TTL_1_OUT | outputs (output points 4-7) | inputs (points 21-24) |
 * | 2 | KTR4_TTL_2_OUT | inputs (points 17-20) | outputs (output points 8-11) |
 * | 3 | KTR4_TTL_ALL_OUT | outputs (output points 4-7) | outputs (output points 8-11) |
 *
 * Inputs are read with KTR4_read_point_status, outputs switched with KTR4_write_output_point, from
 * any axis argument. KTR4_init_card sets KTR4_TTL_ALL_IN.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param mode Out: 0..3, a KTR4_TTL_ code, as set by KTR4_config_TTL_IO_MODE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_TTL_IO_MODE
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_TTL_IO_MODE(ktr4_u8 card, uint8_t* mode);

/** @} */

/**
 * @defgroup config Configuration file
 * A card's configuration (pin, home, soft-limit, comparator and backlash settings, 212 bytes) saved
 * to a file and loaded back into the same or another card.
 * @{
 */
/**
 * @brief Saves a card's whole pin, home, soft-limit, comparator and correction configuration to a
 *   file.
 *
 * The file is one 212-byte record: twelve configuration registers of each axis and the backlash
 * correction speed and mode variant flag the library keeps (KTR4_backlash_comp). Load it with
 * KTR4_load_config_from_file into the same or another card.
 *
 * The file is written only when every register was read. It is written as a new temporary file
 * beside the target and renamed over it, so a failed save leaves any previous file as it was. A
 * target that is a symbolic link is saved into the file it points to, keeping that file's
 * permissions and owner; but a link in a sticky world-writable folder (such as /tmp) whose owner is
 * neither you nor the folder's owner is refused, as the kernel's protected-symlinks rule does.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param path NUL-terminated file name (narrow characters).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_FILE the file cannot be written: a folder that cannot be written, a read-only
 *   target, a directory, a target that is not a regular file, or a refused
 *   link; the old file is unchanged.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @note The file is read and written without the library's lock held, so a slow disk does not delay
 *   other threads' calls.
 * @par Example
 * @code
 * if (KTR4_backlash_comp(0, 0, 12, 0, 2000) != KTR4_OK) return 1;
 * if (KTR4_save_config2_file(0, "card0.cfg") != KTR4_OK) return 1;
 * int32_t rc = KTR4_load_config_from_file(0, "card0.cfg");   // same card, or another
 * remove("card0.cfg");
 * return rc == KTR4_OK ? 0 : 1;
 * @endcode
 * @see KTR4_load_config_from_file
 */
KTR4_API int32_t KTR4_CALL KTR4_save_config2_file(ktr4_u8 card, const char* path);

/**
 * @brief Programs a card with a configuration saved by KTR4_save_config2_file.
 *
 * A file longer than the 212-byte record loads its first 212 bytes. The source must be a regular
 * file: a device, FIFO, socket or directory gives KTR4_ERR_FILE at once, without blocking and
 * without reading it. Symbolic links follow the same rule as for saving.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param path NUL-terminated file name (narrow characters).
 * @retval KTR4_OK the card and the library's per-axis correction values are programmed.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_FILE the file cannot be opened or read, is not a regular file, or is a refused
 *   link; nothing is written.
 * @retval KTR4_ERR_FILE_SIZE the file is shorter than 212 bytes; nothing is written.
 * @retval KTR4_ERR_NOT_INITIALISED no card with this number (the file is checked first).
 * @retval other a driver call failed: the first failure's code.
 * @note Load only files you trust: the record is written to the card's registers as it is.
 * @see KTR4_save_config2_file
 */
KTR4_API int32_t KTR4_CALL KTR4_load_config_from_file(ktr4_u8 card, const char* path);

/** @} */

/**
 * @defgroup status Positions, counters, comparators, soft limits and status
 * Positions and counts are in pulses (32-bit, wrapping). Readers leave your variable untouched when
 * their driver call fails.
 * @{
 */
/**
 * @brief Reads the axis's command position counter: where the card has driven the axis, in pulses.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param position Out: the position, pulses.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_current_position(ktr4_u8 card, ktr4_u8 axis, int32_t* position);

/**
 * @brief Sets the axis's command position counter, and makes that position the reference of the
 *   next relative move.
 *
 * Use it to declare the present place as a known position, for example 0 after homing. Do it on a
 * stopped axis: on a moving one the counter jumps and the running move's end moves with it. It
 * re-labels the counter only: the sensors (HOME, EZ, EL, SD) stay where they are on the machine.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param position New position, pulses (any 32-bit value).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_current_position, KTR4_correct_current_POS
 */
KTR4_API int32_t KTR4_CALL KTR4_set_current_position(ktr4_u8 card, ktr4_u8 axis, int32_t position);

/**
 * @brief Reads the axis's feedback (encoder) counter.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param count Out: the count, pulses.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_FB_counter(ktr4_u8 card, ktr4_u8 axis, int32_t* count);

/**
 * @brief Sets the axis's feedback (encoder) counter.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param count New count (any 32-bit value).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_FB_counter
 */
KTR4_API int32_t KTR4_CALL KTR4_set_FB_counter(ktr4_u8 card, ktr4_u8 axis, int32_t count);

/**
 * @brief Reads the counter value the card latched when LTC last turned on.
 *
 * The counter is the one KTR4_config_LTC_PIN chose: KTR4_LTC_FEEDBACK the feedback counter,
 * KTR4_LTC_COMMAND the command position counter. Each latch records KTR4_EVENT_LATCH.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param value Out: the latched counter value, pulses.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_FBcounter_latch_value(ktr4_u8 card, ktr4_u8 axis, int32_t* value);

/**
 * @brief Configures the axis's software comparator: what it compares and what it does on a match.
 *
 * | source | name | what is compared |
 * | 0 | KTR4_CMP_SRC_COMMAND | the command position counter |
 * | 1 | KTR4_CMP_SRC_FEEDBACK | the feedback (encoder) counter |
 * | 2 | KTR4_CMP_SRC_DEVIATION | the deviation: command position minus feedback counter |
 * | 3 | KTR4_CMP_SRC_PULSER | the manual pulser counter |
 *
 * | condition | name | becomes true when |
 * | 0 | KTR4_CMP_OFF | never: the comparator is off |
 * | 1 | KTR4_CMP_EQUAL | the value reaches or passes the data, in either direction |
 * | 2 | KTR4_CMP_EQUAL_UP | the value reaches or passes the data while counting up |
 * | 3 | KTR4_CMP_EQUAL_DOWN | the value reaches or passes the data while counting down |
 * | 4 | KTR4_CMP_GREATER | the value turns greater than the data |
 * | 5 | KTR4_CMP_LESS | the value turns less than the data |
 *
 * | action | name | when the condition becomes true |
 * | 0 | KTR4_CMP_ACT_FLAG | the compare flag, the CMP output and KTR4_EVENT_COMPARE only |
 * | 1 | KTR4_CMP_ACT_STOP | as KTR4_CMP_ACT_FLAG, and the axis stops at once with KTR4_ERROR_COMPARE_STOP |
 * | 2 | KTR4_CMP_ACT_DECEL_STOP | as KTR4_CMP_ACT_FLAG, and the axis decelerates to a stop with
 *   KTR4_ERROR_COMPARE_STOP |
 *
 * A counter that jumps over the data within one step has passed it. KTR4_CMP_GREATER and
 * KTR4_CMP_LESS also become true at once when they already hold as the comparator is configured or
 * its data written. The compare flag (KTR4_read_compare_flag, main status bit 12 KTR4_STATUS_COMPARE)
 * is set when the condition becomes true and stays set until the comparator's data or configuration is
 * written again; KTR4_EVENT_COMPARE is recorded each time. The three codes are written as source +
 * 8 x condition + 64 x action to bits 0-7 of the latch/comparator word.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param source What is compared, 0..3, a KTR4_CMP_SRC_ code (above gives KTR4_ERR_RANGE).
 * @param condition When it matches, 0..5, a KTR4_CMP_ condition (above gives KTR4_ERR_RANGE).
 * @param action What a match does, 0..2, a KTR4_CMP_ACT_ code (above gives KTR4_ERR_RANGE).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE a code out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_set_comparator_data, KTR4_read_compare_flag
 */
KTR4_API int32_t KTR4_CALL KTR4_config_comparator_out(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 source, ktr4_u8 condition,
                                                      ktr4_u8 action);

/**
 * @brief Reads back the comparator codes.
 *
 * | source | name | what is compared |
 * | 0 | KTR4_CMP_SRC_COMMAND | the command position counter |
 * | 1 | KTR4_CMP_SRC_FEEDBACK | the feedback (encoder) counter |
 * | 2 | KTR4_CMP_SRC_DEVIATION | the deviation: command position minus feedback counter |
 * | 3 | KTR4_CMP_SRC_PULSER | the manual pulser counter |
 *
 * | condition | name | becomes true when |
 * | 0 | KTR4_CMP_OFF | never: the comparator is off |
 * | 1 | KTR4_CMP_EQUAL | the value reaches or passes the data, in either direction |
 * | 2 | KTR4_CMP_EQUAL_UP | the value reaches or passes the data while counting up |
 * | 3 | KTR4_CMP_EQUAL_DOWN | the value reaches or passes the data while counting down |
 * | 4 | KTR4_CMP_GREATER | the value turns greater than the data |
 * | 5 | KTR4_CMP_LESS | the value turns less than the data |
 *
 * | action | name | when the condition becomes true |
 * | 0 | KTR4_CMP_ACT_FLAG | the compare flag, the CMP output and KTR4_EVENT_COMPARE only |
 * | 1 | KTR4_CMP_ACT_STOP | as KTR4_CMP_ACT_FLAG, and the axis stops at once with KTR4_ERROR_COMPARE_STOP |
 * | 2 | KTR4_CMP_ACT_DECEL_STOP | as KTR4_CMP_ACT_FLAG, and the axis decelerates to a stop with
 *   KTR4_ERROR_COMPARE_STOP |
 *
 * A counter that jumps over the data within one step has passed it. KTR4_CMP_GREATER and
 * KTR4_CMP_LESS also become true at once when they already hold as the comparator is configured or
 * its data written. The compare flag (KTR4_read_compare_flag, main status bit 12 KTR4_STATUS_COMPARE)
 * is set when the condition becomes true and stays set until the comparator's data or configuration is
 * written again; KTR4_EVENT_COMPARE is recorded each time. The three codes are written as source +
 * 8 x condition + 64 x action to bits 0-7 of the latch/comparator word.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param source Out: 0..3, a KTR4_CMP_SRC_ code (4..7 only if a configuration file set them).
 * @param condition Out: 0..5, a KTR4_CMP_ condition (6, 7 only if a configuration file set them).
 * @param action Out: 0..2, a KTR4_CMP_ACT_ code (3 only if a configuration file set it).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_comparator_out
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_comparator_out(ktr4_u8 card, ktr4_u8 axis, uint8_t* source, uint8_t* condition,
                                                        uint8_t* action);

/**
 * @brief Sets the value the comparator compares with, in pulses.
 *
 * Writing it clears the compare flag; a KTR4_CMP_GREATER or KTR4_CMP_LESS condition that holds
 * already becomes true again at once (see KTR4_config_comparator_out).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param data Comparison value (any 32-bit value).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_config_comparator_out
 */
KTR4_API int32_t KTR4_CALL KTR4_set_comparator_data(ktr4_u8 card, ktr4_u8 axis, int32_t data);

/**
 * @brief Reads back the comparator value.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param data Out: the value.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_comparator_data(ktr4_u8 card, ktr4_u8 axis, int32_t* data);

/**
 * @brief Reads the compare flag: whether the comparator's condition became true.
 *
 * | flag | main status bit | set | cleared |
 * | 1 | 12, KTR4_STATUS_COMPARE | when the condition of KTR4_config_comparator_out becomes true | when
 *   the comparator's data (KTR4_set_comparator_data) or configuration is written again |
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param flag Out: 1 set, 0 clear.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_compare_flag(ktr4_u8 card, ktr4_u8 axis, uint8_t* flag);

/**
 * @brief Chooses which card events the axis records in its event flags (and may interrupt on).
 *
 * | bit | name | set when |
 * | 0 | KTR4_EVENT_END | a move ended, for any reason |
 * | 1 | KTR4_EVENT_NEXT | a continuous move took the buffered move (the buffer has room for the next) |
 * | 4 | KTR4_EVENT_ACCEL_END | acceleration to the operating speed finished |
 * | 5 | KTR4_EVENT_DECEL_START | deceleration began |
 * | 6 | KTR4_EVENT_COMPARE | the comparator's condition became true |
 * | 7 | KTR4_EVENT_LATCH | LTC latched a counter |
 * | 8 | KTR4_EVENT_SD | SD turned on during a move |
 * | 9 | KTR4_EVENT_HOME | HOME turned on during a move |
 * | 12 | KTR4_EVENT_EZ | an EZ pulse was counted during an origin return |
 * | 14 | KTR4_EVENT_INP | INP turned on after a move |
 * | 16 | KTR4_EVENT_HOME_DONE | an origin return ended on its final signal |
 *
 * An event is recorded in the event flag word (KTR4_read_event_flag) and raises an event interrupt
 * only when its bit is set here. factor AND 0x00055BF3 is written: bits 11 and 18 pass that mask but
 * are reserved (no event sets them); KTR4_EVENT_ALL is every event. KTR4_set_INT_mask(card, axis, 0)
 * writes factor 0.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param factor Event factor: KTR4_EVENT_ bits ORed together.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_event_flag, KTR4_set_INT_source
 */
KTR4_API int32_t KTR4_CALL KTR4_set_event_factor(ktr4_u8 card, ktr4_u8 axis, uint32_t factor);

/**
 * @brief Reads the axis's event flag word (events the event factor selected), and clears it.
 *
 * | bit | name | set when |
 * | 0 | KTR4_EVENT_END | a move ended, for any reason |
 * | 1 | KTR4_EVENT_NEXT | a continuous move took the buffered move (the buffer has room for the next) |
 * | 4 | KTR4_EVENT_ACCEL_END | acceleration to the operating speed finished |
 * | 5 | KTR4_EVENT_DECEL_START | deceleration began |
 * | 6 | KTR4_EVENT_COMPARE | the comparator's condition became true |
 * | 7 | KTR4_EVENT_LATCH | LTC latched a counter |
 * | 8 | KTR4_EVENT_SD | SD turned on during a move |
 * | 9 | KTR4_EVENT_HOME | HOME turned on during a move |
 * | 12 | KTR4_EVENT_EZ | an EZ pulse was counted during an origin return |
 * | 14 | KTR4_EVENT_INP | INP turned on after a move |
 * | 16 | KTR4_EVENT_HOME_DONE | an origin return ended on its final signal |
 *
 * Only events whose bit is set in the event factor (KTR4_set_event_factor) are recorded. Reading the
 * word clears it.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param flags Out: the event flag word, KTR4_EVENT_ bits of the events since the last read.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_event_flag(ktr4_u8 card, ktr4_u8 axis, uint32_t* flags);

/**
 * @brief Reads the axis's error flag word: why the axis last stopped short.
 *
 * | bit | name | set when the axis |
 * | 0 | KTR4_ERROR_SOFT_PLUS | stopped at the + soft limit, or passed it with KTR4_SOFTLIMIT_FLAG |
 * | 1 | KTR4_ERROR_SOFT_MINUS | stopped at the - soft limit, or passed it with KTR4_SOFTLIMIT_FLAG |
 * | 2 | KTR4_ERROR_EL_PLUS | was stopped by the EL+ switch |
 * | 3 | KTR4_ERROR_EL_MINUS | was stopped by the EL- switch |
 * | 4 | KTR4_ERROR_ALARM | was stopped by the ALM input, or started a move while ALM was on |
 * | 5 | KTR4_ERROR_COMPARE_STOP | was stopped by the comparator (KTR4_CMP_ACT_STOP, KTR4_CMP_ACT_DECEL_STOP) |
 * | 6 | KTR4_ERROR_HOME_NOT_FOUND | ended an origin search's amount without finding HOME |
 *
 * The bits are set by the stop and cleared when the axis next starts a move; reading does not clear
 * them. Each newly set bit raises an error interrupt (see KTR4_read_INT_status).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param flags Out: the error flag word, KTR4_ERROR_ bits; 0 when the last move ended normally.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_error_flag(ktr4_u8 card, ktr4_u8 axis, uint32_t* flags);

/**
 * @brief Configures the two soft limits of the axis and switches them on.
 *
 * | source | name | compared with the limits |
 * | 0 | KTR4_SOFTLIMIT_COMMAND | the command position counter |
 * | 1 | KTR4_SOFTLIMIT_FEEDBACK | the feedback counter |
 *
 * | action | name | on reaching a limit |
 * | 0 | KTR4_SOFTLIMIT_STOP | stop at once on the limit (also what KTR4_enable_softlimit leaves) |
 * | 1 | KTR4_SOFTLIMIT_DECEL_STOP | decelerate to a stop from the limit (the axis ends past it) |
 * | 2 | KTR4_SOFTLIMIT_FLAG | set the flag, the error bit and the event only: the move goes on |
 *
 * The + limit (KTR4_set_softlimit_data limit_plus) acts on + motion when the value is at or above it,
 * the - limit on - motion at or below limit_minus. A move toward a limit already reached ends at once
 * (KTR4_SOFTLIMIT_STOP, KTR4_SOFTLIMIT_DECEL_STOP). A limit reached sets main status bit 8
 * (KTR4_STATUS_SOFT_PLUS) or 9 (KTR4_STATUS_SOFT_MINUS), read with KTR4_read_softlimit_flag and
 * cleared at the next start of the axis, and error bit KTR4_ERROR_SOFT_PLUS or KTR4_ERROR_SOFT_MINUS;
 * the stop records KTR4_EVENT_END as any stop does. Both limits take the same settings, written to
 * the soft-limit configuration word (the + limit's byte and the - limit's byte).
 *
 * Switching them off and on again with KTR4_enable_softlimit keeps these settings.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param source What is compared, KTR4_SOFTLIMIT_COMMAND (0) or KTR4_SOFTLIMIT_FEEDBACK (1); above 1
 *   gives KTR4_ERR_RANGE.
 * @param action What a limit does, 0..2: KTR4_SOFTLIMIT_STOP, KTR4_SOFTLIMIT_DECEL_STOP or
 *   KTR4_SOFTLIMIT_FLAG; above 2 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE a setting out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_set_softlimit_data, KTR4_enable_softlimit
 */
KTR4_API int32_t KTR4_CALL KTR4_config_softlimit(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 source, ktr4_u8 action);

/**
 * @brief Reads back the soft limit settings.
 *
 * | source | name | compared with the limits |
 * | 0 | KTR4_SOFTLIMIT_COMMAND | the command position counter |
 * | 1 | KTR4_SOFTLIMIT_FEEDBACK | the feedback counter |
 *
 * | action | name | on reaching a limit |
 * | 0 | KTR4_SOFTLIMIT_STOP | stop at once on the limit (also what KTR4_enable_softlimit leaves) |
 * | 1 | KTR4_SOFTLIMIT_DECEL_STOP | decelerate to a stop from the limit (the axis ends past it) |
 * | 2 | KTR4_SOFTLIMIT_FLAG | set the flag, the error bit and the event only: the move goes on |
 *
 * The + limit (KTR4_set_softlimit_data limit_plus) acts on + motion when the value is at or above it,
 * the - limit on - motion at or below limit_minus. A move toward a limit already reached ends at once
 * (KTR4_SOFTLIMIT_STOP, KTR4_SOFTLIMIT_DECEL_STOP). A limit reached sets main status bit 8
 * (KTR4_STATUS_SOFT_PLUS) or 9 (KTR4_STATUS_SOFT_MINUS), read with KTR4_read_softlimit_flag and
 * cleared at the next start of the axis, and error bit KTR4_ERROR_SOFT_PLUS or KTR4_ERROR_SOFT_MINUS;
 * the stop records KTR4_EVENT_END as any stop does. Both limits take the same settings, written to
 * the soft-limit configuration word (the + limit's byte and the - limit's byte).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param source Out: 0..3 (KTR4_SOFTLIMIT_COMMAND or KTR4_SOFTLIMIT_FEEDBACK as configured).
 * @param action Out: 0..3 (KTR4_SOFTLIMIT_STOP, KTR4_SOFTLIMIT_DECEL_STOP or KTR4_SOFTLIMIT_FLAG as
 *   configured).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_softlimit
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_config_softlimit(ktr4_u8 card, ktr4_u8 axis, uint8_t* source, uint8_t* action);

/**
 * @brief Sets the two soft limit positions, in pulses: the + limit first, then the - limit.
 *
 * limit_plus stops + motion at or above it, limit_minus stops - motion at or below it, as the
 * settings of KTR4_config_softlimit say; so limit_minus < limit_plus on a usual machine.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param limit_plus The + soft limit position, pulses (any 32-bit value).
 * @param limit_minus The - soft limit position, pulses (any 32-bit value).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_config_softlimit
 */
KTR4_API int32_t KTR4_CALL KTR4_set_softlimit_data(ktr4_u8 card, ktr4_u8 axis, int32_t limit_plus, int32_t limit_minus);

/**
 * @brief Reads back the two soft limit positions.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param limit_plus Out: the + soft limit position.
 * @param limit_minus Out: the - soft limit position.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_set_softlimit_data
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_softlimit_data(ktr4_u8 card, ktr4_u8 axis, int32_t* limit_plus,
                                                        int32_t* limit_minus);

/**
 * @brief Switches both soft limits on or off, keeping their settings.
 *
 * The settings of KTR4_config_softlimit stay; where none were configured (field 0) the limits act
 * as KTR4_SOFTLIMIT_COMMAND with KTR4_SOFTLIMIT_STOP.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enable 1 (any non-zero) on, 0 off (low byte).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_config_softlimit
 */
KTR4_API int32_t KTR4_CALL KTR4_enable_softlimit(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable);

/**
 * @brief Reads whether the soft limits are on.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enabled Out: 1 on, 0 off.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_enable_softlimit(ktr4_u8 card, ktr4_u8 axis, uint8_t* enabled);

/**
 * @brief Reads whether the axis reached either soft limit.
 *
 * | flag | main status bit | set |
 * | flag_plus | 8, KTR4_STATUS_SOFT_PLUS | when the + limit stopped or flagged the axis |
 * | flag_minus | 9, KTR4_STATUS_SOFT_MINUS | when the - limit stopped or flagged the axis |
 *
 * Both are cleared at the next start of the axis.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param flag_plus Out: 1 the + limit was reached, else 0.
 * @param flag_minus Out: 1 the - limit was reached, else 0.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_softlimit_flag(ktr4_u8 card, ktr4_u8 axis, uint8_t* flag_plus,
                                                    uint8_t* flag_minus);

/**
 * @brief Reads whether the axis is stopped, or whether its continuous buffer is full.
 *
 * Kind 0 is how a program waits for a move, a homing or a stop to end: status becomes 1 when the
 * axis stands still. Kind 1 tells, in continuous mode, whether the next move would be refused with
 * KTR4_ERR_BUFFER_FULL.
 *
 * | kind | main status bit | status 1 when |
 * | 0 | 3, KTR4_STATUS_STOPPED | the axis is stopped |
 * | 1 | 14, KTR4_STATUS_BUFFER_FULL | the continuous buffer holds a move not yet taken |
 *
 * The other main status bits are 8 (KTR4_STATUS_SOFT_PLUS) and 9 (KTR4_STATUS_SOFT_MINUS), read with
 * KTR4_read_softlimit_flag, and 12 (KTR4_STATUS_COMPARE), read with KTR4_read_compare_flag; the
 * rest are reserved.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param kind 0 stopped flag, 1 continuous buffer full; other kinds give KTR4_ERR_RANGE.
 * @param status Out: 1 stopped (kind 0) or full (kind 1), else 0.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE kind above 1; status untouched.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @par Example
 * @code
 * uint8_t stopped = 0;
 * if (KTR4_T_curve_position_move(0, 3, 2000, 0, 100, 20000, 0.02, 0.02) != KTR4_OK) return 1;
 * while (KTR4_read_motion_status(0, 3, 0, &stopped) == KTR4_OK && !stopped) usleep(1000);
 * return stopped ? 0 : 1;
 * @endcode
 */
KTR4_API int32_t KTR4_CALL KTR4_read_motion_status(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 kind, uint8_t* status);

/**
 * @brief Reads the present level of one of the axis's input or output points.
 *
 * | point | name | what it reads |
 * | 0 | KTR4_POINT_SD | SD, slow-down input (pin input status bit 15) |
 * | 1 | KTR4_POINT_PCS | PCS, position-change start input (pin input status bit 8) |
 * | 2 | KTR4_POINT_INP | INP, in-position input (pin input status bit 16) |
 * | 3 | KTR4_POINT_ALM | ALM, alarm input (sub-status bit 11) |
 * | 4 | KTR4_POINT_HOME | HOME sensor (sub-status bit 2, inverted) |
 * | 5 | KTR4_POINT_EZ | EZ, the encoder's index pulse (sub-status bit 12) |
 * | 6 | KTR4_POINT_SVON | state of the SVON (servo-on) output (sub-status bit 13) |
 * | 7 | KTR4_POINT_LTC | LTC, latch input (pin input status bit 14) |
 * | 8 | KTR4_POINT_ARST | state of the ARST (alarm reset) output (sub-status bit 14) |
 * | 9 | KTR4_POINT_OUT2 | state of the OUT2 general output (pin input status bit 7) |
 * | 10 | KTR4_POINT_EMG | EMG, the emergency-stop input (pin input status bit 10) |
 * | 11 | KTR4_POINT_ERC | state of the ERC output (pin input status bit 9) |
 * | 12 | KTR4_POINT_EL_PLUS | EL+, the + end-limit switch (sub-status bit 1, inverted) |
 * | 13 | KTR4_POINT_EL_MINUS | EL-, the - end-limit switch (sub-status bit 0, inverted) |
 * | 14 | KTR4_POINT_CMP | state of the CMP output (sub-status bit 7, inverted) |
 * | 15 | KTR4_POINT_PULSER_A | the manual pulser's phase A (pin input status bit 5) |
 * | 16 | KTR4_POINT_PULSER_B | the manual pulser's phase B (pin input status bit 6) |
 * | 17-20 | KTR4_POINT_TTL_IN_0 + 0..3 | TTL inputs 0-3: axis 1's lines (its sub-status bits 3-6) |
 * | 21-24 | KTR4_POINT_TTL_IN_0 + 4..7 | TTL inputs 4-7: axis 2's lines (its sub-status bits 3-6) |
 *
 * Inputs read after their pin logic (KTR4_LOGIC_INVERTED turns them over). Points 17-24 read the
 * lines of axes 1 and 2 whatever the axis argument; they are inputs only in the KTR4_TTL_ modes that
 * leave them so (KTR4_config_TTL_IO_MODE).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param point 0..24, a KTR4_POINT_ number of the table; above 24 gives KTR4_ERR_RANGE.
 * @param state Out: 0 off or 1 on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE point above 24; state untouched.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_write_output_point
 */
KTR4_API int32_t KTR4_CALL KTR4_read_point_status(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 point, uint8_t* state);

/**
 * @brief Switches one of the card's general output points on or off.
 *
 * | point | name | output |
 * | 0 | KTR4_OUT_SVON | SVON, servo on (read back as KTR4_POINT_SVON) |
 * | 1 | KTR4_OUT_ARST | ARST, alarm reset to the drive (read back as KTR4_POINT_ARST) |
 * | 2 | KTR4_OUT_OUT2 | OUT2, a general output (read back as KTR4_POINT_OUT2) |
 * | 3 | KTR4_OUT_ERC | ERC, error-counter clear, by hand (read back as KTR4_POINT_ERC) |
 * | 4-7 | KTR4_OUT_TTL_0 + 0..3 | TTL outputs 0-3: axis 1's lines, in KTR4_TTL_1_OUT and KTR4_TTL_ALL_OUT |
 * | 8-11 | KTR4_OUT_TTL_0 + 4..7 | TTL outputs 4-7: axis 2's lines, in KTR4_TTL_2_OUT and KTR4_TTL_ALL_OUT |
 *
 * Points 0..3 belong to the given axis; points 4..7 are always the outputs of axis 1 and 8..11
 * those of axis 2, whatever the axis argument.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param point 0..11, a KTR4_OUT_ number of the table; above 11 gives KTR4_ERR_RANGE.
 * @param on 0 clears, any other value sets (low byte counts).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE point above 11; nothing switched.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_point_status
 */
KTR4_API int32_t KTR4_CALL KTR4_write_output_point(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 point, ktr4_u8 on);

/** @} */

/**
 * @defgroup motion Single-axis moves, speed range and stops
 * Speeds are in pulses per second (pps), at most 6 553 500 in magnitude; position moves use
 * magnitudes, velocity moves take the direction from the sign of the operating speed. The start
 * speed is where a ramp begins and ends (0..6 553 500). Times are seconds: 0.0 means the card's
 * fastest rate (for the deceleration time of a position move: no ramp, the axis runs to its end at
 * full speed), and NaN, infinite or negative times give KTR4_ERR_RANGE before anything is written.
 * S-curve sections (sv...) are speeds in pps, 0 for a pure S-curve.
 *
 * Position moves need a stopped axis (KTR4_ERR_MOVING), or in continuous mode a free buffer
 * (KTR4_ERR_BUFFER_FULL); they return as soon as the move has started. Wait for the end with
 * KTR4_read_motion_status kind 0, or with an interrupt (KTR4_link_IRQ_process).
 *
 * Relative moves are measured from the commanded end of the previous move, not from where the axis
 * stands. After a stop the library takes the stop position as the new reference, with one
 * exception: once an arc has run on the axis, its next relative move adds back the pulses that the
 * move before it did not make when that move was stopped short by KTR4_dec_stop or by the card
 * itself (a limit). Example: after an arc, an absolute move to 100 000 stopped by KTR4_dec_stop at
 * 5 000, then told to move +1000 relatively, ends at 101 000, not at 6 000: the commanded end stays
 * the reference. Call KTR4_correct_current_POS on the stopped axis first to measure from where it
 * stands. KTR4_imd_stop and KTR4_emg_stop note the stop position at once when the card reports the
 * axis stopped by then (the simulated card does), so a relative move after them starts from where
 * the axis stopped.
 * @{
 */
/**
 * @brief Fixes the axis's speed range (the card's speed magnification) for speeds up to max_speed.
 *
 * The card runs an axis in one of many speed ranges: the higher the top speed, the coarser the
 * speed steps (resolution about max_speed / 65 535 pps). Each move normally picks the range from
 * its own maximum speed. A fixed range lets a running axis change speed without changing range:
 * velocity moves, KTR4_velocity_change, homing, pulser moves and arcs always use it; position
 * moves, lines and on-line changes use it only in continuous mode, where queued moves must share
 * the running move's range. Fix a range that covers every speed you will ask for.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param max_speed Highest speed of the range, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE |max_speed| above 6 553 500; nothing stored.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_unfix_speed_range, KTR4_velocity_change
 */
KTR4_API int32_t KTR4_CALL KTR4_fix_speed_range(ktr4_u8 card, ktr4_u8 axis, int32_t max_speed);

/**
 * @brief Releases a fixed speed range: each move picks its own again.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_fix_speed_range
 */
KTR4_API int32_t KTR4_CALL KTR4_unfix_speed_range(ktr4_u8 card, ktr4_u8 axis);

/**
 * @brief Moves one axis by a distance or to a position with a trapezoidal (T-curve) speed profile.
 *
 * The card accelerates from start_speed to max_speed in t_acc, runs, and decelerates to start_speed
 * in t_dec so that it stops at the end; a move too short to reach max_speed is shortened to a
 * triangle with about 90 % of the reachable peak. The call returns at once; wait with
 * KTR4_read_motion_status.
 *
 * The reference of a relative move is the commanded end of the axis's previous move, not
 * necessarily where the axis stands; see the group's text for moves after a stop.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param dist Relative: distance in pulses (the sign gives the direction). Absolute: target
 *   position in pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above). 0 gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped (not in continuous mode); nothing is written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE max_speed 0 or above 6 553 500, start_speed above 6 553 500, or a time
 *   NaN, infinite or negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @par Example
 * @code
 * int32_t start = 0, end = 0;
 * uint8_t stopped = 0;
 * KTR4_read_current_position(0, 0, &start);
 * // 10 000 pulses forward, up to 50 000 pps, 0.05 s ramps
 * if (KTR4_T_curve_position_move(0, 0, 10000, 0, 500, 50000, 0.05, 0.05) != KTR4_OK) return 1;
 * while (KTR4_read_motion_status(0, 0, 0, &stopped) == KTR4_OK && !stopped) usleep(1000);
 * KTR4_read_current_position(0, 0, &end);
 * return end == start + 10000 ? 0 : 1;
 * @endcode
 * @see KTR4_read_motion_status, KTR4_position_change
 */
KTR4_API int32_t KTR4_CALL KTR4_T_curve_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec);

/**
 * @brief KTR4_T_curve_position_move with mode 0: a relative T-curve move.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param dist Relative: distance in pulses (the sign gives the direction). Absolute: target
 *   position in pulses.
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above). 0 gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped (not in continuous mode); nothing is written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE max_speed 0 or above 6 553 500, start_speed above 6 553 500, or a time
 *   NaN, infinite or negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_motion_status, KTR4_position_change
 */
KTR4_API int32_t KTR4_CALL KTR4_TR_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec);

/**
 * @brief KTR4_T_curve_position_move with mode 1: an absolute T-curve move.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param dist Relative: distance in pulses (the sign gives the direction). Absolute: target
 *   position in pulses.
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above). 0 gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped (not in continuous mode); nothing is written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE max_speed 0 or above 6 553 500, start_speed above 6 553 500, or a time
 *   NaN, infinite or negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_motion_status, KTR4_position_change
 */
KTR4_API int32_t KTR4_CALL KTR4_TA_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec);

/**
 * @brief Moves one axis by a distance or to a position with an S-curve speed profile (smooth
 *   changes of acceleration).
 *
 * The card accelerates from start_speed to max_speed in t_acc, runs, and decelerates to start_speed
 * in t_dec so that it stops at the end; a move too short to reach max_speed is shortened to a
 * triangle with about 90 % of the reachable peak. The call returns at once; wait with
 * KTR4_read_motion_status.
 *
 * The reference of a relative move is the commanded end of the axis's previous move, not
 * necessarily where the axis stands; see the group's text for moves after a stop.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param dist Relative: distance in pulses (the sign gives the direction). Absolute: target
 *   position in pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above). 0 gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @param sv_acc S-curve section of the acceleration, as a speed span in pps over which the
 *   acceleration itself ramps; 0 for a pure S-curve.
 * @param sv_dec S-curve section of the deceleration, in pps; 0 for a pure S-curve.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped (not in continuous mode); nothing is written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE max_speed 0 or above 6 553 500, start_speed above 6 553 500, or a time
 *   NaN, infinite or negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_motion_status, KTR4_position_change
 */
KTR4_API int32_t KTR4_CALL KTR4_S_curve_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec, int32_t sv_acc, int32_t sv_dec);

/**
 * @brief KTR4_S_curve_position_move with mode 0: a relative S-curve move.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param dist Relative: distance in pulses (the sign gives the direction). Absolute: target
 *   position in pulses.
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above). 0 gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @param sv_acc S-curve section of the acceleration, as a speed span in pps over which the
 *   acceleration itself ramps; 0 for a pure S-curve.
 * @param sv_dec S-curve section of the deceleration, in pps; 0 for a pure S-curve.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped (not in continuous mode); nothing is written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE max_speed 0 or above 6 553 500, start_speed above 6 553 500, or a time
 *   NaN, infinite or negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_motion_status, KTR4_position_change
 */
KTR4_API int32_t KTR4_CALL KTR4_SR_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                 int32_t sv_dec);

/**
 * @brief KTR4_S_curve_position_move with mode 1: an absolute S-curve move.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param dist Relative: distance in pulses (the sign gives the direction). Absolute: target
 *   position in pulses.
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above). 0 gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @param sv_acc S-curve section of the acceleration, as a speed span in pps over which the
 *   acceleration itself ramps; 0 for a pure S-curve.
 * @param sv_dec S-curve section of the deceleration, in pps; 0 for a pure S-curve.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped (not in continuous mode); nothing is written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE max_speed 0 or above 6 553 500, start_speed above 6 553 500, or a time
 *   NaN, infinite or negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_read_motion_status, KTR4_position_change
 */
KTR4_API int32_t KTR4_CALL KTR4_SA_position_move(ktr4_u8 card, ktr4_u8 axis, int32_t dist, int32_t start_speed,
                                                 int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                 int32_t sv_dec);

/**
 * @brief Gives a running position move a new end.
 *
 * The running move keeps its speeds; only its end changes. An end the axis has already passed is
 * the card's to handle.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param new_dist Mode 0: new distance from where the running move started, pulses. Other mode: new
 *   end position.
 * @param mode 0 distance from the move's start, any other value an end position (low byte).
 * @retval KTR4_OK the end is changed.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CHANGE_REFUSED the axis is stopped, or in continuous mode; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_OnLine_T_curve_change
 */
KTR4_API int32_t KTR4_CALL KTR4_position_change(ktr4_u8 card, ktr4_u8 axis, int32_t new_dist, ktr4_u8 mode);

/**
 * @brief Runs one axis at a constant speed, after a T-curve acceleration, until it is stopped.
 *
 * The sign of max_speed gives the direction. A velocity move does not check that the axis is
 * stopped, does not use the continuous buffer, and does not change the commanded end position; stop
 * it with KTR4_dec_stop, KTR4_imd_stop or KTR4_emg_stop, change its speed with
 * KTR4_velocity_change.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pps; the sign gives the direction; magnitude at most 6 553
 *   500 (KTR4_ERR_RANGE above).
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @retval KTR4_OK the axis has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE a speed above 6 553 500 or t_acc NaN, infinite or negative; nothing
 *   written.
 * @retval other a driver call failed: the first failure's code.
 * @par Example
 * @code
 * double speed = 0;
 * uint8_t stopped = 0;
 * if (KTR4_T_velocity_move(0, 1, 100, -20000, 0.05) != KTR4_OK) return 1;   // backwards
 * usleep(100000);
 * KTR4_velocity_change(0, 1, -40000, 0.05);
 * usleep(150000);
 * KTR4_read_speed(0, 1, &speed);   // 40 000 pps
 * KTR4_dec_stop(0, 1, 0.1);
 * while (KTR4_read_motion_status(0, 1, 0, &stopped) == KTR4_OK && !stopped) usleep(1000);
 * return speed > 39000 && speed < 41000 ? 0 : 1;
 * @endcode
 * @see KTR4_velocity_change, KTR4_dec_stop, KTR4_fix_speed_range
 */
KTR4_API int32_t KTR4_CALL KTR4_T_velocity_move(ktr4_u8 card, ktr4_u8 axis, int32_t start_speed, int32_t max_speed,
                                                double t_acc);

/**
 * @brief Runs one axis at a constant speed, after an S-curve acceleration, until it is stopped.
 *
 * As KTR4_T_velocity_move, with an S-shaped acceleration.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pps; the sign gives the direction; magnitude at most 6 553
 *   500 (KTR4_ERR_RANGE above).
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param sv S-curve section of the acceleration, as a speed span in pps over which the acceleration
 *   itself ramps; 0 for a pure S-curve.
 * @retval KTR4_OK the axis has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE a speed above 6 553 500 or t_acc NaN, infinite or negative; nothing
 *   written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_T_velocity_move
 */
KTR4_API int32_t KTR4_CALL KTR4_S_velocity_move(ktr4_u8 card, ktr4_u8 axis, int32_t start_speed, int32_t max_speed,
                                                double t_acc, int32_t sv);

/**
 * @brief Changes the speed (and, by its sign, the direction) of an axis in a velocity move, with a
 *   ramp.
 *
 * The ramp goes from the speed the card runs now to new_speed in t_change. Changing the direction
 * of a moving axis is the card's to carry out; decelerate first for a clean reversal. Without a
 * fixed speed range the new speed may need another range than the running one; fix one
 * (KTR4_fix_speed_range) for smooth changes.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param new_speed New speed in pps, the sign gives the direction; magnitude at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param t_change Time of the ramp in seconds; 0.0 changes at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @retval KTR4_OK the change is commanded.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE new_speed above 6 553 500 or t_change NaN, infinite or negative; nothing
 *   written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_T_velocity_move
 */
KTR4_API int32_t KTR4_CALL KTR4_velocity_change(ktr4_u8 card, ktr4_u8 axis, int32_t new_speed, double t_change);

/**
 * @brief Stops an axis with a deceleration ramp of the given time.
 *
 * Works on any move (position, velocity, line, arc, homing). The call returns at once; the axis is
 * stopped when KTR4_read_motion_status reports it. The stop command is always sent, also when the
 * ramp could not be computed because a register read failed (the card then uses the deceleration
 * rate it has, and the failure is returned).
 *
 * After an arc, a relative move that follows this stop is measured from the stopped move's
 * commanded end, not from where the axis stopped (see the group's text); call
 * KTR4_correct_current_POS first to measure from where it stands.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param t_dec Deceleration time in seconds from the present speed; 0.0 stops at the card's fastest
 *   rate; NaN, infinite or negative gives KTR4_ERR_RANGE before anything is written
 *   (nothing is stopped).
 * @retval KTR4_OK the stop is commanded.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE t_dec NaN, infinite or negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_imd_stop, KTR4_emg_stop, KTR4_correct_current_POS
 */
KTR4_API int32_t KTR4_CALL KTR4_dec_stop(ktr4_u8 card, ktr4_u8 axis, double t_dec);

/** @} */

/**
 * @defgroup homing Homing
 * The card's own origin return: the axis runs in the given direction until the signals chosen by
 * the home mode are seen, and stops there. The position counter is not zeroed: set it with
 * KTR4_set_current_position. Wait for the end with KTR4_read_motion_status. On the simulated card
 * an axis has no HOME sensor until ktr4sim_set_home gives it one, and an origin return without one
 * runs until it is stopped.
 * @{
 */
/**
 * @brief Chooses how the card finds the axis's origin (home mode) and how many EZ pulses it counts.
 *
 * The home mode selects one of the card's origin-return sequences 0..12, which differ in the
 * signals that end them (HOME, the encoder index EZ, EL):
 *
 * | mode | name | sequence; where the axis stops |
 * | 0 | KTR4_HOME_ORG | at the maximum speed until HOME turns on; stops at once there |
 * | 1 | KTR4_HOME_ORG_DECEL | at the maximum speed until HOME turns on; decelerates from there to a
 *   stop past it |
 * | 2 | KTR4_HOME_ORG_EZ | at the maximum speed until HOME turns on, slows to the start speed and counts
 *   EZ; stops at once on the (count+1)-th EZ |
 * | 3 | KTR4_HOME_ORG_BACK | at the maximum speed until HOME turns on (decelerating stop), back at the
 *   start speed; stops at once where HOME turns off |
 * | 4 | KTR4_HOME_ORG_BACK_FWD | as 3, then forward again at the start speed; stops at once on HOME
 *   turning on |
 * | 5 | KTR4_HOME_ORG_BACK_EZ | as 3, counting EZ after HOME turns off; stops at once on the (count+1)-th
 *   EZ, on the way back |
 * | 6 | KTR4_HOME_EL_BACK | at the maximum speed into the EL switch of the search direction (stopping as
 *   the EL mode says, no error), back at the start speed; stops at once where EL turns off |
 * | 7 | KTR4_HOME_EL_BACK_EZ | as 6, counting EZ after EL turns off; stops at once on the (count+1)-th
 *   EZ, on the way back |
 * | 8 | KTR4_HOME_EZ | at the start speed, counting EZ (no HOME); stops at once on the (count+1)-th EZ |
 * | 9 | KTR4_HOME_ORG_BACK_FWD_EZ | as 4, counting EZ after HOME turned on; stops at once on the
 *   (count+1)-th EZ |
 * | 10 | KTR4_HOME_EL_BACK_ORG | as 6, back at the start speed until HOME turns on; stops at once there,
 *   on the way back |
 * | 11 | KTR4_HOME_EL_BACK_ORG_EZ | as 10, counting EZ after HOME turned on; stops at once on the
 *   (count+1)-th EZ, on the way back |
 * | 12 | KTR4_HOME_ORG_SLOW | at the start speed (no acceleration) until HOME turns on; stops at once
 *   there |
 *
 * Modes 0-2, 4, 8, 9 and 12 end moving in the search direction, modes 3, 5-7, 10 and 11 moving the
 * opposite way.
 * "At once" ends exactly where the signal turned on or off. The count c (0..15) matters only in the
 * modes that use EZ: the axis stops on the (c+1)-th EZ pulse counted after the signal the sequence
 * names. If the axis is on HOME already when a mode that searches HOME first starts, the card first
 * leaves HOME in the opposite direction at the start speed, then searches as above. An EL switch met
 * in a mode that does not use EL (0-5, 8, 9, 12) stops the axis as an EL stop, with its error bit
 * (KTR4_ERROR_EL_PLUS or KTR4_ERROR_EL_MINUS). The mode is bits 0-3 of configuration word 3, the
 * count bits 4-7.
 *
 * KTR4_init_card sets mode 0, count 0. KTR4_start_origin_search_homing sets the mode to 0.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Home mode 0..12, a KTR4_HOME_ mode of the table; above 12 gives KTR4_ERR_RANGE.
 * @param count EZ count 0..15: the axis stops on the (count+1)-th EZ pulse in the modes that use EZ;
 *   above 15 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE mode above 12 or count above 15; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_start_homing
 */
KTR4_API int32_t KTR4_CALL KTR4_config_home_mode(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode, ktr4_u8 count);

/**
 * @brief Starts an origin return: the axis runs until the card sees its home signal, then stops.
 *
 * The card ends the move as the home mode says (KTR4_config_home_mode); the position counter is not
 * zeroed: set it with KTR4_set_current_position once the axis has stopped. The call returns at
 * once; wait with KTR4_read_motion_status.
 *
 * | direction | name | search |
 * | 0 | KTR4_HOME_DIR_PLUS | in the + direction (operation 0x10) |
 * | any other | KTR4_HOME_DIR_MINUS (1) | in the - direction (operation 0x18) |
 *
 * An origin return that ends on its final signal records KTR4_EVENT_HOME_DONE and, with ERC's
 * at_home_end set (KTR4_config_ERC_PIN), outputs an ERC pulse. One stopped by EL, ALM or a soft
 * limit sets the matching KTR4_ERROR_ bit (KTR4_read_error_flag).
 *
 * On the simulated card an axis has no HOME sensor by default, so an origin return runs until it is
 * stopped: give it one with ktr4sim_set_home.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Search speed in pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @param accel_time Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param direction KTR4_HOME_DIR_PLUS (0, counting up) or KTR4_HOME_DIR_MINUS (any other value;
 *   low byte counts).
 * @retval KTR4_OK the origin return has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped (not in continuous mode); nothing is written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE max_speed or start_speed above 6 553 500, or accel_time NaN, infinite or
 *   negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @par Example
 * @code
 * uint8_t stopped = 0;
 * int32_t position = 0;
 * ktr4sim_set_home(0, 0, 1, 2500);   // simulated card: HOME sensor at 2500
 * KTR4_config_home_mode(0, 0, 0, 0);
 * if (KTR4_start_homing(0, 0, 500, 20000, 0.05, 0) != KTR4_OK) return 1;
 * while (KTR4_read_motion_status(0, 0, 0, &stopped) == KTR4_OK && !stopped) usleep(1000);
 * KTR4_read_current_position(0, 0, &position);   // 2500: not zeroed
 * KTR4_set_current_position(0, 0, 0);            // the origin is 0 from now on
 * return position == 2500 ? 0 : 1;
 * @endcode
 * @see KTR4_config_home_mode, KTR4_start_origin_search_homing, ktr4sim_set_home
 */
KTR4_API int32_t KTR4_CALL KTR4_start_homing(ktr4_u8 card, ktr4_u8 axis, int32_t start_speed, int32_t max_speed,
                                             double accel_time, ktr4_u8 direction);

/**
 * @brief Starts an origin search over at most amount pulses, with the home mode set to 0.
 *
 * As KTR4_start_homing in mode KTR4_HOME_ORG, but the card searches at most amount pulses; it
 * leaves the home mode at 0, so a later KTR4_start_homing needs KTR4_config_home_mode again.
 *
 * | direction | name | search |
 * | 0 | KTR4_HOME_DIR_PLUS | in the + direction (operation 0x15) |
 * | any other | KTR4_HOME_DIR_MINUS (1) | in the - direction (operation 0x1D) |
 *
 * A search that ends its amount without HOME turning on stops there with KTR4_ERROR_HOME_NOT_FOUND
 * in the error flag (KTR4_read_error_flag); one that finds HOME records KTR4_EVENT_HOME_DONE.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Search speed in pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @param accel_time Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param direction KTR4_HOME_DIR_PLUS (0, counting up) or KTR4_HOME_DIR_MINUS (any other value;
 *   low byte counts).
 * @param amount Largest distance of the search, pulses.
 * @retval KTR4_OK the search has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped (not in continuous mode); nothing is written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE max_speed or start_speed above 6 553 500, or accel_time NaN, infinite or
 *   negative; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_start_homing
 */
KTR4_API int32_t KTR4_CALL KTR4_start_origin_search_homing(ktr4_u8 card, ktr4_u8 axis, int32_t start_speed,
                                                           int32_t max_speed, double accel_time, ktr4_u8 direction,
                                                           int32_t amount);

/** @} */

/**
 * @defgroup pulser Manual pulser
 * The card's own pulser motion (KTR4_run_pulser_Vmove, KTR4_run_pulser_Pmove), and a follower in
 * the library that makes an axis follow the pulser counter of a source axis of the same card,
 * sampled every 20 ms from KTR4_initial until KTR4_close. Map (KTR4_set_pulser_Map) before
 * enabling.
 * @{
 */
/**
 * @brief Configures the axis's manual pulser (hand wheel) input.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Pulser input mode 0..3, written with the option as mode + 4 x option to bits 24-26 of
 *   configuration word 2; above 3 gives KTR4_ERR_RANGE.
 * @param option 0 or 1; above 1 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE mode or option out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_pulser_mode
 */
KTR4_API int32_t KTR4_CALL KTR4_config_pulser_mode(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mode, ktr4_u8 option);

/**
 * @brief Reads back the pulser input configuration.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mode Out: 0..3.
 * @param option Out: 0 or 1.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_config_pulser_mode
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_pulser_mode(ktr4_u8 card, ktr4_u8 axis, uint8_t* mode, uint8_t* option);

/**
 * @brief Reads the axis's pulser counter (pulses turned on the hand wheel).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param count Out: the count.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_pulser_counter(ktr4_u8 card, ktr4_u8 axis, int32_t* count);

/**
 * @brief Sets the axis's pulser counter; a follower of it takes the new value as its reference.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param count New count.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_set_pulser_counter(ktr4_u8 card, ktr4_u8 axis, int32_t count);

/**
 * @brief Makes the axis follow its pulser on the card, with no end, at up to the given speed.
 *
 * Each pulse turned moves the axis one pulse. Stop it with KTR4_imd_stop or KTR4_dec_stop.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param speed Highest speed in pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @retval KTR4_OK pulser motion has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped; nothing written.
 * @retval KTR4_ERR_RANGE speed above 6 553 500; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_run_pulser_Pmove
 */
KTR4_API int32_t KTR4_CALL KTR4_run_pulser_Vmove(ktr4_u8 card, ktr4_u8 axis, int32_t speed);

/**
 * @brief Makes the axis follow its pulser on the card, between its start and an end.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param move_value Relative: the distance of the end from the commanded end position. Absolute:
 *   the end position.
 * @param absolute 0 relative, any other value absolute (low byte).
 * @param speed Highest speed in pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @retval KTR4_OK pulser motion has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_MOVING the axis is not stopped; nothing written.
 * @retval KTR4_ERR_RANGE speed above 6 553 500; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_run_pulser_Vmove
 */
KTR4_API int32_t KTR4_CALL KTR4_run_pulser_Pmove(ktr4_u8 card, ktr4_u8 axis, int32_t move_value, ktr4_u8 absolute,
                                                 int32_t speed);

/**
 * @brief Chooses whose pulser counter the library's follower makes this axis follow, and in which
 *   direction.
 *
 * The follower (KTR4_enable_pulser_motion) samples the source axis's pulser counter every 20 ms and
 * moves this axis after it. Call it before enabling; the axis's present position becomes the
 * follower's reference.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param from_axis Source axis 0..3 of the same card; above 3 gives KTR4_ERR_RANGE.
 * @param reverse 0 same direction, 1 opposite; above 1 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE from_axis or reverse out of range; nothing changed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_enable_pulser_motion
 */
KTR4_API int32_t KTR4_CALL KTR4_set_pulser_Map(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 from_axis, ktr4_u8 reverse);

/**
 * @brief Switches the library's pulser follower of the axis on or off.
 *
 * While on, every 20 ms the follower adds the source counter's change times ratio to the axis's
 * target and moves the axis there (on-line change of the running move, or a new position move),
 * from KTR4_initial until KTR4_close. Switching on re-reads the source counter and the axis's
 * position, so nothing jumps; switching on an axis that follows already only changes the ratio.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param enable 1 on, 0 off; above 1 gives KTR4_ERR_RANGE.
 * @param ratio Output pulses per counted pulse, 1..1000 (low 16 bits count); 0 or above 1000 gives
 *   KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE enable or ratio out of range; nothing changed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_set_pulser_Map
 */
KTR4_API int32_t KTR4_CALL KTR4_enable_pulser_motion(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 enable, ktr4_u16 ratio);

/** @} */

/**
 * @defgroup interrupts Interrupts
 * Order: KTR4_set_INT_source and KTR4_set_INT_mask for the axes, KTR4_enable_IRQ, then
 * KTR4_link_IRQ_process to have a function of yours called, or wait on the event yourself.
 * KTR4_disable_IRQ (and KTR4_close) end it.
 * @{
 */
/**
 * @brief Enables the card's interrupt and hands out the event the driver signals on each interrupt.
 *
 * Wait on the event yourself, or let the library do it and call a function of yours
 * (KTR4_link_IRQ_process). The event is the library's: do not close it. Card 0's event is replaced
 * (and the old one closed) at each call, so take the new one every time.
 *
 * Calling it again while a callback is linked keeps the link: the service thread moves to the
 * event handed out now and the callback goes on being called for every interrupt, with no need to
 * link it again (the interrupt is already enabled at the driver, which is not called again). Only
 * KTR4_disable_IRQ (or KTR4_close) ends the callbacks.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param event Out: the card's event (see KTR4_EVENT); NULL or -1 when the system could not create
 *   one.
 * @retval KTR4_OK the event is handed out and the interrupt enabled.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_link_IRQ_process, KTR4_disable_IRQ, KTR4_EVENT
 */
KTR4_API int32_t KTR4_CALL KTR4_enable_IRQ(ktr4_u8 card, KTR4_EVENT* event);

/**
 * @brief Disables the card's interrupt and ends its interrupt service.
 *
 * The card's service thread, if any, ends.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_enable_IRQ
 */
KTR4_API int32_t KTR4_CALL KTR4_disable_IRQ(ktr4_u8 card);

/**
 * @brief Chooses whether the axis's interrupts reach the callback.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param mask 1 pass them on, 0 not (0 also writes event factor 0: the axis records no events);
 *   above 1 gives KTR4_ERR_RANGE.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE mask above 1; nothing changed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_set_INT_source
 */
KTR4_API int32_t KTR4_CALL KTR4_set_INT_mask(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 mask);

/**
 * @brief Chooses which of the axis's events call the callback, and which events the card reports.
 *
 * An axis fires when its mask is 1 and either an error bit of its error flag was newly set (an error
 * interrupt), or an event whose bit is in both factor and source occurred (an event interrupt).
 *
 * | bit | name | source bit: an event interrupt when |
 * | 0 | KTR4_EVENT_END | a move ended, for any reason |
 * | 1 | KTR4_EVENT_NEXT | a continuous move took the buffered move |
 * | 4 | KTR4_EVENT_ACCEL_END | acceleration to the operating speed finished |
 * | 5 | KTR4_EVENT_DECEL_START | deceleration began |
 * | 6 | KTR4_EVENT_COMPARE | the comparator's condition became true |
 * | 7 | KTR4_EVENT_LATCH | LTC latched a counter |
 * | 8 | KTR4_EVENT_SD | SD turned on during a move |
 * | 9 | KTR4_EVENT_HOME | HOME turned on during a move |
 * | 12 | KTR4_EVENT_EZ | an EZ pulse was counted during an origin return |
 * | 14 | KTR4_EVENT_INP | INP turned on after a move |
 * | 16 | KTR4_EVENT_HOME_DONE | an origin return ended on its final signal |
 *
 * Bits 10, 13, 15 and 17 pass the source mask but no event uses them. Error interrupts are not
 * filtered by source.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param source KTR4_EVENT_ bits that fire the callback (AND 0x0003F7F3 is kept).
 * @param factor Event factor written to the card, KTR4_EVENT_ bits, as KTR4_set_event_factor.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_set_INT_mask, KTR4_link_IRQ_process
 */
KTR4_API int32_t KTR4_CALL KTR4_set_INT_source(ktr4_u8 card, ktr4_u8 axis, uint32_t source, uint32_t factor);

/**
 * @brief Calls a function of yours whenever the card interrupts for an axis whose mask and source
 *   let it through.
 *
 * Starts the card's service thread, which waits for the card's event, reads the interrupt status
 * and calls callback once per interrupt (not once per axis) with the card number. Linking again
 * replaces the callback. The callback runs on the service thread without the library's lock held,
 * so it may call exports. The link lasts until KTR4_disable_IRQ or KTR4_close: a further
 * KTR4_enable_IRQ (for instance to take card 0's new event) keeps it and the calls go on.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param callback Your function; called with the card number.
 * @retval KTR4_OK the callback is linked.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_THREAD the system refused the thread or its wake-up event; nothing changed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_enable_IRQ, KTR4_set_INT_mask, KTR4_set_INT_source, KTR4_IRQ_CALLBACK
 */
KTR4_API int32_t KTR4_CALL KTR4_link_IRQ_process(ktr4_u8 card, KTR4_IRQ_CALLBACK callback);

/**
 * @brief Reads (and thereby clears) the card's pending interrupt status for one axis.
 *
 * | output | bits | meaning |
 * | field | KTR4_INT_EVENT (1) | an event interrupt is pending (cause word bit 4, 0x10) |
 * | field | KTR4_INT_ERROR (2) | an error interrupt is pending (cause word bit 5, 0x20) |
 * | event_word | KTR4_EVENT_ bits | the events since the last read |
 * | last_word | KTR4_ERROR_ bits | the axis's error flag word (as KTR4_read_error_flag) |
 *
 * Reading clears the card's interrupt status block.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param field Out: the axis's 2-bit interrupt field, KTR4_INT_EVENT and KTR4_INT_ERROR bits.
 * @param event_word Out: the axis's event status word, KTR4_EVENT_ bits.
 * @param last_word Out: the axis's error flag word, KTR4_ERROR_ bits.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_INT_status(ktr4_u8 card, ktr4_u8 axis, uint8_t* field, uint32_t* event_word,
                                                uint32_t* last_word);

/** @} */

/**
 * @defgroup aux Backlash, continuous mode, synchronised start, stops and speed
 * KTR4_imd_stop and KTR4_emg_stop stop at once; KTR4_dec_stop (with the single-axis moves)
 * decelerates. A stop works on any kind of move; the library notes where the axis stopped (see the
 * single-axis moves for what that means to the next relative move).
 * @{
 */
/**
 * @brief Sets the axis's backlash compensation: extra pulses the card adds when the axis reverses.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param amount Backlash in pulses, 0..4095 (low 16 bits count); above 4095 gives KTR4_ERR_RANGE.
 * @param mode_variant_flag Non-zero: moves use the card's variant operation mode (low byte). Kept
 *   by the library.
 * @param correction_speed Speed of the correction pulses in pps; kept by the library and used from
 *   the next move on.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_RANGE amount above 4095; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_readback_backlash_comp
 */
KTR4_API int32_t KTR4_CALL KTR4_backlash_comp(ktr4_u8 card, ktr4_u8 axis, ktr4_u16 amount, ktr4_u8 mode_variant_flag,
                                              uint32_t correction_speed);

/**
 * @brief Reads back the backlash compensation.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param amount Out: pulses 0..4095.
 * @param mode_variant_flag Out: as set.
 * @param correction_speed Out: pps, as set (1000 after KTR4_initial).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @see KTR4_backlash_comp
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_backlash_comp(ktr4_u8 card, ktr4_u8 axis, uint16_t* amount,
                                                       uint8_t* mode_variant_flag, uint32_t* correction_speed);

/**
 * @brief Sets the card's two vibration suppression times for the axis.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param first First time value, 0..65535 in the card's units (low 16 bits count).
 * @param second Second time value, 0..65535 (low 16 bits count).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_suppress_vibration(ktr4_u8 card, ktr4_u8 axis, ktr4_u16 first, ktr4_u16 second);

/**
 * @brief Reads back the vibration suppression times.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param first Out: first value.
 * @param second Out: second value.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_readback_suppress_vibration(ktr4_u8 card, ktr4_u8 axis, uint16_t* first,
                                                            uint16_t* second);

/**
 * @brief Switches the axis's continuous mode: moves queue behind the running one instead of needing
 *   a stopped axis.
 *
 * In continuous mode a position move, line, arc or homing writes the card's buffer (pre-registers)
 * and the card starts it as soon as the running move ends; a move is refused with
 * KTR4_ERR_BUFFER_FULL while the buffer holds one. All axes of a line or arc must be in the same
 * mode (else KTR4_ERR_CONTINUOUS_MIX).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param flag 0 clears, any other value sets (low byte counts).
 * @retval KTR4_OK the flag is stored (effective from the next move).
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_check_continuous_buffer
 */
KTR4_API int32_t KTR4_CALL KTR4_set_continuous_flag(ktr4_u8 card, ktr4_u8 axis, ktr4_u8 flag);

/**
 * @brief Reads whether the axis's continuous buffer is full.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param full Out: 1 full, 0 free.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_check_continuous_buffer(ktr4_u8 card, ktr4_u8 axis, uint8_t* full);

/**
 * @brief Outputs a pulse on the card's CSTA line: a synchronised start of the axes waiting for it.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_wait_CSTA_signal
 */
KTR4_API int32_t KTR4_CALL KTR4_trigger_CSTA_pulse(ktr4_u8 card);

/**
 * @brief Makes all four axes wait for a CSTA signal before they start their next move.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_trigger_CSTA_pulse
 */
KTR4_API int32_t KTR4_CALL KTR4_wait_CSTA_signal(ktr4_u8 card);

/**
 * @brief Outputs a pulse on the card's CSTP line: a synchronised stop.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_trigger_CSTP_pulse(ktr4_u8 card);

/**
 * @brief Stops one axis at once, without deceleration.
 *
 * The stop command is always sent; if it fails, its code is returned.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @retval KTR4_OK the stop is commanded.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_dec_stop, KTR4_emg_stop
 */
KTR4_API int32_t KTR4_CALL KTR4_imd_stop(ktr4_u8 card, ktr4_u8 axis);

/**
 * @brief Stops all four axes of the card at once, with one command.
 *
 * The stop command is always sent, and the library's bookkeeping of every axis follows; the first
 * failure is returned.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @retval KTR4_OK the stop is commanded.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code.
 * @see KTR4_imd_stop
 */
KTR4_API int32_t KTR4_CALL KTR4_emg_stop(ktr4_u8 card);

/**
 * @brief Reads the speed at which the axis runs now, in pulses per second (0 when it stands).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param speed Out: pps, always positive; in the resolution of the axis's speed range.
 * @retval KTR4_OK done.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 */
KTR4_API int32_t KTR4_CALL KTR4_read_speed(ktr4_u8 card, ktr4_u8 axis, double* speed);

/** @} */

/**
 * @defgroup multiaxis Lines, arcs and circles
 * Interpolation groups: pair 0..5 = axes 0,1 0,2 0,3 1,2 1,3 2,3; triple 0..3 = axes 0,1,2 0,1,3
 * 0,2,3 1,2,3; LINE4 uses all four axes. The XY functions use axes 0 and 1, the ZA functions axes 2
 * and 3; the first axis of a pair is x, the second y. Speeds are path speeds; mode 0 relative (from
 * the commanded ends of the axes' previous moves), any other value absolute. Every axis of the
 * group must be stopped (or, in continuous mode, have a free buffer) and all must be in the same
 * continuous mode.
 *
 * Arcs run at a constant path speed; their centre and end are relative to the start point in mode
 * 0. Direction 0 is clockwise and 1 counter-clockwise, seen with x to the right and y up. On-line
 * changes (KTR4_OnLine_T_curve_change...) need a running move (else KTR4_ERR_CHANGE_REFUSED).
 * @{
 */
/**
 * @brief Moves two axes together along a straight line with a T-curve profile.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param pair Axis pair 0..5: 0 axes 0,1; 1 axes 0,2; 2 axes 0,3; 3 axes 1,2; 4 axes 1,3; 5 axes
 *   2,3. Above 5 gives KTR4_ERR_RANGE.
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE2(ktr4_u8 card, ktr4_u8 pair, int32_t d1, int32_t d2, ktr4_u8 mode,
                                                   int32_t start_speed, int32_t max_speed, double t_acc, double t_dec);

/**
 * @brief Moves two axes together along a straight line with an S-curve profile.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param pair Axis pair 0..5: 0 axes 0,1; 1 axes 0,2; 2 axes 0,3; 3 axes 1,2; 4 axes 1,3; 5 axes
 *   2,3. Above 5 gives KTR4_ERR_RANGE.
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @param sv_acc S-curve section of the acceleration, as a speed span in pps over which the
 *   acceleration itself ramps; 0 for a pure S-curve.
 * @param sv_dec S-curve section of the deceleration, in pps; 0 for a pure S-curve.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE2(ktr4_u8 card, ktr4_u8 pair, int32_t d1, int32_t d2, ktr4_u8 mode,
                                                   int32_t start_speed, int32_t max_speed, double t_acc, double t_dec,
                                                   int32_t sv_acc, int32_t sv_dec);

/**
 * @brief KTR4_T_curve_move_LINE2 on axes 0 (X) and 1 (Y).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @par Example
 * @code
 * int32_t x = 0, y = 0;
 * uint8_t stopped = 0;
 * // 3000 pulses on X and 4000 on Y: a 5000-pulse line at 10 000 pps
 * if (KTR4_T_curve_move_XY(0, 3000, 4000, 0, 100, 10000, 0.05, 0.05) != KTR4_OK) return 1;
 * while (KTR4_read_motion_status(0, 1, 0, &stopped) == KTR4_OK && !stopped) usleep(1000);
 * KTR4_read_current_position(0, 0, &x);
 * KTR4_read_current_position(0, 1, &y);
 * return x == 3000 && y == 4000 ? 0 : 1;
 * @endcode
 */
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_XY(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode, int32_t start_speed,
                                                int32_t max_speed, double t_acc, double t_dec);

/**
 * @brief KTR4_T_curve_move_LINE2 on axes 2 (Z) and 3 (A).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_ZA(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode, int32_t start_speed,
                                                int32_t max_speed, double t_acc, double t_dec);

/**
 * @brief KTR4_S_curve_move_LINE2 on axes 0 (X) and 1 (Y).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @param sv_acc S-curve section of the acceleration, as a speed span in pps over which the
 *   acceleration itself ramps; 0 for a pure S-curve.
 * @param sv_dec S-curve section of the deceleration, in pps; 0 for a pure S-curve.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_XY(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode, int32_t start_speed,
                                                int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                int32_t sv_dec);

/**
 * @brief KTR4_S_curve_move_LINE2 on axes 2 (Z) and 3 (A).
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @param sv_acc S-curve section of the acceleration, as a speed span in pps over which the
 *   acceleration itself ramps; 0 for a pure S-curve.
 * @param sv_dec S-curve section of the deceleration, in pps; 0 for a pure S-curve.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_ZA(ktr4_u8 card, int32_t d1, int32_t d2, ktr4_u8 mode, int32_t start_speed,
                                                int32_t max_speed, double t_acc, double t_dec, int32_t sv_acc,
                                                int32_t sv_dec);

/**
 * @brief Moves three axes together along a straight line with a T-curve profile.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param triple Axis triple 0..3: 0 axes 0,1,2; 1 axes 0,1,3; 2 axes 0,2,3; 3 axes 1,2,3. Above 3
 *   gives KTR4_ERR_RANGE.
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param d3 Distance (relative) or position (absolute) of the group's third axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE3(ktr4_u8 card, ktr4_u8 triple, int32_t d1, int32_t d2, int32_t d3,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed, double t_acc,
                                                   double t_dec);

/**
 * @brief Moves three axes together along a straight line with an S-curve profile.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param triple Axis triple 0..3: 0 axes 0,1,2; 1 axes 0,1,3; 2 axes 0,2,3; 3 axes 1,2,3. Above 3
 *   gives KTR4_ERR_RANGE.
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param d3 Distance (relative) or position (absolute) of the group's third axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @param sv_acc S-curve section of the acceleration, as a speed span in pps over which the
 *   acceleration itself ramps; 0 for a pure S-curve.
 * @param sv_dec S-curve section of the deceleration, in pps; 0 for a pure S-curve.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE3(ktr4_u8 card, ktr4_u8 triple, int32_t d1, int32_t d2, int32_t d3,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed, double t_acc,
                                                   double t_dec, int32_t sv_acc, int32_t sv_dec);

/**
 * @brief Moves all four axes together along a straight line with a T-curve profile.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param d3 Distance (relative) or position (absolute) of the group's third axis, pulses.
 * @param d4 Distance (relative) or position (absolute) of the group's fourth axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_T_curve_move_LINE4(ktr4_u8 card, int32_t d1, int32_t d2, int32_t d3, int32_t d4,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed, double t_acc,
                                                   double t_dec);

/**
 * @brief Moves all four axes together along a straight line with an S-curve profile.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param d1 Distance (relative) or position (absolute) of the group's first axis, pulses.
 * @param d2 Distance (relative) or position (absolute) of the group's second axis, pulses.
 * @param d3 Distance (relative) or position (absolute) of the group's third axis, pulses.
 * @param d4 Distance (relative) or position (absolute) of the group's fourth axis, pulses.
 * @param mode 0 relative (dist is a distance from the commanded end of the previous move), any
 *   other value absolute (dist is a position); low byte counts.
 * @param start_speed Start speed of the path, pps; magnitude used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Path speed, pps (the speed along the line, not per axis); magnitude used, 1..6
 *   553 500; 0 or above gives KTR4_ERR_RANGE.
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @param sv_acc S-curve section of the acceleration, as a speed span in pps over which the
 *   acceleration itself ramps; 0 for a pure S-curve.
 * @param sv_dec S-curve section of the deceleration, in pps; 0 for a pure S-curve.
 * @retval KTR4_OK the move has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the axes are not all in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis of the group is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_S_curve_move_LINE4(ktr4_u8 card, int32_t d1, int32_t d2, int32_t d3, int32_t d4,
                                                   ktr4_u8 mode, int32_t start_speed, int32_t max_speed, double t_acc,
                                                   double t_dec, int32_t sv_acc, int32_t sv_dec);

/**
 * @brief Moves a pair of axes along a circular arc given by its centre and end point.
 *
 * The arc starts where the pair's last moves were commanded to end. The end point must not lie
 * farther from the centre than the start point; if it does, the centre is moved one pulse at a time
 * toward the end point until it does, at most 65 536 pulses (a centre that needs more gives
 * KTR4_ERR_RANGE and nothing moves). The end point must then lie on the circle through the start
 * point: its distance from the centre may be at most 1 pulse shorter than the start point's. An end
 * farther inside the circle is refused with KTR4_ERR_RANGE and nothing moves (the card would run
 * round the circle and then have to jump to it). Both checks are exact: the coordinate differences
 * are taken in full (never wrapped to 32 bits) and the distances compared without rounding or
 * overflow, so a large arc is treated exactly as the same arc scaled down; the card's centre and end
 * registers hold coordinates within 2 147 483 647 pulses of the start point, which bounds every arc.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param pair Axis pair 0..5 as for KTR4_T_curve_move_LINE2 (first axis = x); above 5 gives
 *   KTR4_ERR_RANGE.
 * @param cx Centre, first (x) axis: relative to the start point (mode 0) or a position (absolute),
 *   pulses.
 * @param cy Centre, second (y) axis, likewise.
 * @param ex End point, x: relative to the start point or a position.
 * @param ey End point, y, likewise.
 * @param mode 0 relative to the start point (the pair's commanded end positions), any other value
 *   absolute (low byte).
 * @param speed Constant path speed, pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @param direction 0 clockwise, any other value counter-clockwise, seen with x to the right and y
 *   up (low byte counts).
 * @retval KTR4_OK the arc has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the two axes are not in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_ARC_GEOMETRY the centre could not be corrected without meeting the end point: a
 *   straight line to the end point was run instead.
 * @retval KTR4_ERR_RANGE pair or speed out of range, the centre correction did not converge, or
 *   the end point lies more than 1 pulse inside the circle through the start point; nothing
 *   written, nothing moves.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_ARC2_center_move(ktr4_u8 card, ktr4_u8 pair, int32_t cx, int32_t cy, int32_t ex,
                                                 int32_t ey, ktr4_u8 mode, int32_t speed, uint32_t direction);

/**
 * @brief KTR4_ARC2_center_move on axes 0 (X) and 1 (Y).
 *
 * The arc starts where the pair's last moves were commanded to end. The end point must not lie
 * farther from the centre than the start point; if it does, the centre is moved one pulse at a time
 * toward the end point until it does, at most 65 536 pulses (a centre that needs more gives
 * KTR4_ERR_RANGE and nothing moves). The end point must then lie on the circle through the start
 * point: its distance from the centre may be at most 1 pulse shorter than the start point's. An end
 * farther inside the circle is refused with KTR4_ERR_RANGE and nothing moves (the card would run
 * round the circle and then have to jump to it). Both checks are exact: the coordinate differences
 * are taken in full (never wrapped to 32 bits) and the distances compared without rounding or
 * overflow, so a large arc is treated exactly as the same arc scaled down; the card's centre and end
 * registers hold coordinates within 2 147 483 647 pulses of the start point, which bounds every arc.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param cx Centre, first (x) axis: relative to the start point (mode 0) or a position (absolute),
 *   pulses.
 * @param cy Centre, second (y) axis, likewise.
 * @param ex End point, x: relative to the start point or a position.
 * @param ey End point, y, likewise.
 * @param mode 0 relative to the start point (the pair's commanded end positions), any other value
 *   absolute (low byte).
 * @param speed Constant path speed, pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @param direction 0 clockwise, any other value counter-clockwise, seen with x to the right and y
 *   up (low byte counts).
 * @retval KTR4_OK the arc has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the two axes are not in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_ARC_GEOMETRY the centre could not be corrected without meeting the end point: a
 *   straight line to the end point was run instead.
 * @retval KTR4_ERR_RANGE pair or speed out of range, the centre correction did not converge, or
 *   the end point lies more than 1 pulse inside the circle through the start point; nothing
 *   written, nothing moves.
 * @retval other a driver call failed: the first failure's code.
 * @par Example
 * @code
 * int32_t x = 0, y = 0;
 * uint8_t stopped = 0;
 * // quarter circle, clockwise, about the centre 1000 pulses ahead on X
 * if (KTR4_ARC_center_move_XY(0, 1000, 0, 1000, 1000, 0, 20000, 0) != KTR4_OK) return 1;
 * while (KTR4_read_motion_status(0, 0, 0, &stopped) == KTR4_OK && !stopped) usleep(1000);
 * KTR4_read_current_position(0, 0, &x);
 * KTR4_read_current_position(0, 1, &y);
 * return x == 1000 && y == 1000 ? 0 : 1;
 * @endcode
 */
KTR4_API int32_t KTR4_CALL KTR4_ARC_center_move_XY(ktr4_u8 card, int32_t cx, int32_t cy, int32_t ex, int32_t ey,
                                                   ktr4_u8 mode, int32_t speed, uint32_t direction);

/**
 * @brief KTR4_ARC2_center_move on axes 2 (Z) and 3 (A).
 *
 * The arc starts where the pair's last moves were commanded to end. The end point must not lie
 * farther from the centre than the start point; if it does, the centre is moved one pulse at a time
 * toward the end point until it does, at most 65 536 pulses (a centre that needs more gives
 * KTR4_ERR_RANGE and nothing moves). The end point must then lie on the circle through the start
 * point: its distance from the centre may be at most 1 pulse shorter than the start point's. An end
 * farther inside the circle is refused with KTR4_ERR_RANGE and nothing moves (the card would run
 * round the circle and then have to jump to it). Both checks are exact: the coordinate differences
 * are taken in full (never wrapped to 32 bits) and the distances compared without rounding or
 * overflow, so a large arc is treated exactly as the same arc scaled down; the card's centre and end
 * registers hold coordinates within 2 147 483 647 pulses of the start point, which bounds every arc.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param cx Centre, first (x) axis: relative to the start point (mode 0) or a position (absolute),
 *   pulses.
 * @param cy Centre, second (y) axis, likewise.
 * @param ex End point, x: relative to the start point or a position.
 * @param ey End point, y, likewise.
 * @param mode 0 relative to the start point (the pair's commanded end positions), any other value
 *   absolute (low byte).
 * @param speed Constant path speed, pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @param direction 0 clockwise, any other value counter-clockwise, seen with x to the right and y
 *   up (low byte counts).
 * @retval KTR4_OK the arc has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the two axes are not in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_ARC_GEOMETRY the centre could not be corrected without meeting the end point: a
 *   straight line to the end point was run instead.
 * @retval KTR4_ERR_RANGE pair or speed out of range, the centre correction did not converge, or
 *   the end point lies more than 1 pulse inside the circle through the start point; nothing
 *   written, nothing moves.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_ARC_center_move_ZA(ktr4_u8 card, int32_t cx, int32_t cy, int32_t ex, int32_t ey,
                                                   ktr4_u8 mode, int32_t speed, uint32_t direction);

/**
 * @brief Moves a pair of axes along the circular arc through three points: the start, (x1, y1) and
 *   the end (x2, y2).
 *
 * The arc runs from the start point through (x1, y1) to (x2, y2); its centre and direction follow
 * from the three points. The centre, in whole pulses, then goes through the checks of
 * KTR4_ARC2_center_move: when the end point lies more than 1 pulse inside the circle about it
 * through the start point (the points nearly on one line, or a centre the correction moved far),
 * the arc is refused with KTR4_ERR_RANGE and nothing moves.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param pair Axis pair 0..5 as for KTR4_T_curve_move_LINE2; above 5 gives KTR4_ERR_RANGE (checked
 *   first).
 * @param x1 A point on the arc, x (relative to the start point, or a position in absolute mode).
 * @param y1 The same point, y.
 * @param x2 End point, x.
 * @param y2 End point, y.
 * @param mode 0 relative to the start point (the pair's commanded end positions), any other value
 *   absolute (low byte).
 * @param speed Constant path speed, pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @retval KTR4_OK the arc has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the two axes are not in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_ARC_GEOMETRY the three points lie on one line: a straight line to the end point
 *   was run instead (the axes do reach the end point).
 * @retval KTR4_ERR_RANGE pair or speed out of range, the centre correction did not converge, or
 *   the end point lies more than 1 pulse inside the circle through the start point; nothing
 *   written, nothing moves.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_ARC2_3P_move(ktr4_u8 card, ktr4_u8 pair, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                             ktr4_u8 mode, int32_t speed);

/**
 * @brief KTR4_ARC2_3P_move on axes 0 (X) and 1 (Y).
 *
 * The arc runs from the start point through (x1, y1) to (x2, y2); its centre and direction follow
 * from the three points. The centre, in whole pulses, then goes through the checks of
 * KTR4_ARC2_center_move: when the end point lies more than 1 pulse inside the circle about it
 * through the start point (the points nearly on one line, or a centre the correction moved far),
 * the arc is refused with KTR4_ERR_RANGE and nothing moves.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param x1 A point on the arc, x (relative to the start point, or a position in absolute mode).
 * @param y1 The same point, y.
 * @param x2 End point, x.
 * @param y2 End point, y.
 * @param mode 0 relative to the start point (the pair's commanded end positions), any other value
 *   absolute (low byte).
 * @param speed Constant path speed, pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @retval KTR4_OK the arc has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the two axes are not in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_ARC_GEOMETRY the three points lie on one line: a straight line to the end point
 *   was run instead (the axes do reach the end point).
 * @retval KTR4_ERR_RANGE pair or speed out of range, the centre correction did not converge, or
 *   the end point lies more than 1 pulse inside the circle through the start point; nothing
 *   written, nothing moves.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_ARC_3P_move_XY(ktr4_u8 card, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                               ktr4_u8 mode, int32_t speed);

/**
 * @brief KTR4_ARC2_3P_move on axes 2 (Z) and 3 (A).
 *
 * The arc runs from the start point through (x1, y1) to (x2, y2); its centre and direction follow
 * from the three points. The centre, in whole pulses, then goes through the checks of
 * KTR4_ARC2_center_move: when the end point lies more than 1 pulse inside the circle about it
 * through the start point (the points nearly on one line, or a centre the correction moved far),
 * the arc is refused with KTR4_ERR_RANGE and nothing moves.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param x1 A point on the arc, x (relative to the start point, or a position in absolute mode).
 * @param y1 The same point, y.
 * @param x2 End point, x.
 * @param y2 End point, y.
 * @param mode 0 relative to the start point (the pair's commanded end positions), any other value
 *   absolute (low byte).
 * @param speed Constant path speed, pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @retval KTR4_OK the arc has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the two axes are not in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_ARC_GEOMETRY the three points lie on one line: a straight line to the end point
 *   was run instead (the axes do reach the end point).
 * @retval KTR4_ERR_RANGE pair or speed out of range, the centre correction did not converge, or
 *   the end point lies more than 1 pulse inside the circle through the start point; nothing
 *   written, nothing moves.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_ARC_3P_move_ZA(ktr4_u8 card, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                               ktr4_u8 mode, int32_t speed);

/**
 * @brief Moves a pair of axes once round the full circle through three points: the start and two
 *   more.
 *
 * The circle runs through (x1, y1) and (x2, y2), in the direction those points give, and ends where
 * it started.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param pair Axis pair 0..5 as for KTR4_T_curve_move_LINE2; above 5 gives KTR4_ERR_RANGE (checked
 *   first).
 * @param x1 First further point of the circle, x.
 * @param y1 The same point, y.
 * @param x2 Second further point, x.
 * @param y2 The same point, y.
 * @param mode 0 relative to the start point (the pair's commanded end positions), any other value
 *   absolute (low byte).
 * @param speed Constant path speed, pps; magnitude used, at most 6 553 500 (KTR4_ERR_RANGE above).
 * @retval KTR4_OK the circle has started.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CONTINUOUS_MIX the two axes are not in the same continuous mode.
 * @retval KTR4_ERR_MOVING an axis is not stopped; nothing written.
 * @retval KTR4_ERR_BUFFER_FULL in continuous mode, the axis's buffer already holds a move; nothing
 *   is written.
 * @retval KTR4_ERR_CIRCLE_GEOMETRY the three points lie on one line: there is no circle; nothing
 *   moves.
 * @retval KTR4_ERR_RANGE pair or speed out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 * @par Example
 * @code
 * int32_t x = 0, y = 0;
 * uint8_t stopped = 0;
 * // the circle through the start, (100, 100) and (200, 0): centre (100, 0)
 * if (KTR4_CIR2_3P_move(0, 0, 100, 100, 200, 0, 0, 5000) != KTR4_OK) return 1;
 * while (KTR4_read_motion_status(0, 0, 0, &stopped) == KTR4_OK && !stopped) usleep(1000);
 * KTR4_read_current_position(0, 0, &x);
 * KTR4_read_current_position(0, 1, &y);
 * return x == 0 && y == 0 ? 0 : 1;   // back at the start
 * @endcode
 */
KTR4_API int32_t KTR4_CALL KTR4_CIR2_3P_move(ktr4_u8 card, ktr4_u8 pair, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                             ktr4_u8 mode, int32_t speed);

/**
 * @brief Makes where a stopped axis stands the reference of its next relative move.
 *
 * After a stop the commanded end of the interrupted move can stay the reference (see the group's
 * text); this call makes the axis's present position the commanded end. On a moving axis it changes
 * nothing.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @retval KTR4_OK done, or the axis is moving (nothing changed).
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval other a driver call failed: the first failure's code; outputs untouched.
 * @par Example
 * @code
 * int32_t where = 0, end = 0;
 * uint8_t stopped = 0;
 * KTR4_ARC_center_move_XY(0, 500, 0, 1000, 0, 0, 20000, 0);   // an arc on axes 0 and 1
 * while (KTR4_read_motion_status(0, 0, 0, &stopped) == KTR4_OK && !stopped) usleep(1000);
 * KTR4_T_curve_position_move(0, 0, 100000, 1, 500, 50000, 0.01, 0.01);   // to 100 000 ...
 * usleep(100000);
 * KTR4_dec_stop(0, 0, 0.01);                                              // ... stopped short
 * do usleep(1000); while (KTR4_read_motion_status(0, 0, 0, &stopped) == KTR4_OK && !stopped);
 * KTR4_read_current_position(0, 0, &where);
 * KTR4_correct_current_POS(0, 0);   // without it the next move ends at 101 000
 * KTR4_T_curve_position_move(0, 0, 1000, 0, 500, 50000, 0.01, 0.01);
 * do usleep(1000); while (KTR4_read_motion_status(0, 0, 0, &stopped) == KTR4_OK && !stopped);
 * KTR4_read_current_position(0, 0, &end);
 * return end == where + 1000 ? 0 : 1;
 * @endcode
 * @see KTR4_set_current_position
 */
KTR4_API int32_t KTR4_CALL KTR4_correct_current_POS(ktr4_u8 card, ktr4_u8 axis);

/**
 * @brief Changes the end, speeds and times of a running single-axis position move.
 *
 * Replaces the whole T-curve profile of a running position move or line: its end, speeds and times.
 * No new start command is given; the card carries on with the new values (an end already passed is
 * the card's to handle). Only T-curve profiles can be changed.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param axis Axis 0..3 (low byte of the slot).
 * @param dist New distance from the move's start (mode 0) or new end position, pulses.
 * @param mode 0: the d values are distances from where the running move started; any other value:
 *   end positions (low byte).
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above).
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the running move is changed.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_AXIS axis above 3.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CHANGE_REFUSED the axis (or an axis of the group) is stopped: there is no move
 *   to change; nothing written.
 * @retval KTR4_ERR_RANGE speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change(ktr4_u8 card, ktr4_u8 axis, int32_t dist, ktr4_u8 mode,
                                                      int32_t start_speed, int32_t max_speed, double t_acc,
                                                      double t_dec);

/**
 * @brief Changes the end, speeds and times of a running two-axis line.
 *
 * Replaces the whole T-curve profile of a running position move or line: its end, speeds and times.
 * No new start command is given; the card carries on with the new values (an end already passed is
 * the card's to handle). Only T-curve profiles can be changed.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param pair Axis pair 0..5: 0 axes 0,1; 1 axes 0,2; 2 axes 0,3; 3 axes 1,2; 4 axes 1,3; 5 axes
 *   2,3. Above 5 gives KTR4_ERR_RANGE.
 * @param d1 New value for the first axis, pulses.
 * @param d2 New value for the second axis.
 * @param mode 0: the d values are distances from where the running move started; any other value:
 *   end positions (low byte).
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above).
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the running move is changed.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CHANGE_REFUSED the axis (or an axis of the group) is stopped: there is no move
 *   to change; nothing written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE2(ktr4_u8 card, ktr4_u8 pair, int32_t d1, int32_t d2,
                                                            ktr4_u8 mode, int32_t start_speed, int32_t max_speed,
                                                            double t_acc, double t_dec);

/**
 * @brief Changes the end, speeds and times of a running three-axis line.
 *
 * Replaces the whole T-curve profile of a running position move or line: its end, speeds and times.
 * No new start command is given; the card carries on with the new values (an end already passed is
 * the card's to handle). Only T-curve profiles can be changed.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param triple Axis triple 0..3: 0 axes 0,1,2; 1 axes 0,1,3; 2 axes 0,2,3; 3 axes 1,2,3. Above 3
 *   gives KTR4_ERR_RANGE.
 * @param d1 New value for the first axis, pulses.
 * @param d2 New value for the second axis.
 * @param d3 New value for the third axis.
 * @param mode 0: the d values are distances from where the running move started; any other value:
 *   end positions (low byte).
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above).
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the running move is changed.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CHANGE_REFUSED the axis (or an axis of the group) is stopped: there is no move
 *   to change; nothing written.
 * @retval KTR4_ERR_RANGE a group selector, speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE3(ktr4_u8 card, ktr4_u8 triple, int32_t d1, int32_t d2,
                                                            int32_t d3, ktr4_u8 mode, int32_t start_speed,
                                                            int32_t max_speed, double t_acc, double t_dec);

/**
 * @brief Changes the end, speeds and times of a running four-axis line.
 *
 * Replaces the whole T-curve profile of a running position move or line: its end, speeds and times.
 * No new start command is given; the card carries on with the new values (an end already passed is
 * the card's to handle). Only T-curve profiles can be changed.
 *
 * @param card Card number 0..15 (its number switch; low byte of the slot).
 * @param d1 New value for axis 0, pulses.
 * @param d2 New value for axis 1.
 * @param d3 New value for axis 2.
 * @param d4 New value for axis 3.
 * @param mode 0: the d values are distances from where the running move started; any other value:
 *   end positions (low byte).
 * @param start_speed Start and stop speed in pps; only the magnitude is used, at most 6 553 500
 *   (KTR4_ERR_RANGE above).
 * @param max_speed Operating speed in pulses per second (pps); only the magnitude is used, at most
 *   6 553 500 (KTR4_ERR_RANGE above).
 * @param t_acc Acceleration time in seconds; 0.0 accelerates at the card's fastest rate; NaN,
 *   infinite or negative gives KTR4_ERR_RANGE before anything is written.
 * @param t_dec Deceleration time in seconds; 0.0 means no deceleration ramp (the axis stops at the
 *   end from full speed); NaN, infinite or negative gives KTR4_ERR_RANGE before anything
 *   is written.
 * @retval KTR4_OK the running move is changed.
 * @retval KTR4_ERR_CARD card above 15.
 * @retval KTR4_ERR_NOT_INITIALISED no such card found, or the library was closed.
 * @retval KTR4_ERR_CHANGE_REFUSED the axis (or an axis of the group) is stopped: there is no move
 *   to change; nothing written.
 * @retval KTR4_ERR_RANGE speed or time out of range; nothing written.
 * @retval other a driver call failed: the first failure's code.
 */
KTR4_API int32_t KTR4_CALL KTR4_OnLine_T_curve_change_LINE4(ktr4_u8 card, int32_t d1, int32_t d2, int32_t d3,
                                                            int32_t d4, ktr4_u8 mode, int32_t start_speed,
                                                            int32_t max_speed, double t_acc, double t_dec);

/** @} */

/**
 * @defgroup paths Continuous paths
 * A path of lines and arcs runs without stopping at its joints when its axes are in continuous
 * mode (KTR4_set_continuous_flag on every axis of the group): each segment given while one runs
 * waits in the card's buffer and starts the moment the running one ends. The example program
 * continuous_path.c (in /usr/share/doc/libktr4-dev/examples) runs a rounded rectangle this way.
 *
 * How speed behaves at a joint: a segment starts at its own start speed, and its deceleration
 * ends at that same start speed. A line with start speed FL, speed F, t_acc and t_dec climbs from
 * FL to F, and at its end comes down to FL again; with t_dec 0.0 it has no deceleration and ends
 * at F. An arc runs at its one constant speed from start to end. So:
 * - ramp up in the first segment only: a low start speed, the path speed, t_acc as wanted and
 *   t_dec 0.0;
 * - keep the speed through the middle joints: every later line gets the path speed as start
 *   speed and speed, with t_dec 0.0; arcs get the path speed;
 * - ramp down at the end in a segment of its own: only a segment whose start speed is low can
 *   slow down to it, and it starts at that speed. The joint into it is a step down to its start
 *   speed, after which it climbs back at the card's fastest rate (t_acc 0.0; within about 30 ms
 *   over a whole speed range) and then ramps down over t_dec. Keep that line short (the length of
 *   the ramp) and its start speed one the machine can take as a step.
 * - fix a speed range that covers the path speed on every axis of the group
 *   (KTR4_fix_speed_range): queued segments share the running one's range.
 *
 * Which axis to poll: every axis of a group carries the same buffer-full flag (main status bit 14,
 * KTR4_check_continuous_buffer or KTR4_read_motion_status kind 1), set when a segment is queued and
 * cleared when the card takes it; polling the group's first axis is enough, and the library itself
 * checks every axis of the group before it writes a segment (KTR4_ERR_BUFFER_FULL while one is
 * full). The path has ended when every axis of the group reads stopped (KTR4_read_motion_status
 * kind 0). Clear the continuous flags when the path is done, or the next move queues too.
 * @{
 */
/** @} */

#ifdef __cplusplus
}
#endif

#endif /* KTR4_H */
