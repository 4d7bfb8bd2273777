/*
 * ktr4path: part programs (RS274/NGC G-code) for machines driven by KTR4 cards.
 *
 * A user of the public ktr4 C API: it reads a machine description (which card axis drives each
 * program axis, scales and limits) and a part program, and gives the program's canonical moves.
 */
#ifndef KTR4PATH_H
#define KTR4PATH_H

#include <stdint.h>

#if defined(_WIN32)
#define KTR4PATH_API __declspec(dllexport)
#elif defined(__GNUC__)
#define KTR4PATH_API __attribute__((visibility("default")))
#else
#define KTR4PATH_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/**
 * @defgroup pathtypes Types, units and result codes
 * Program axes are X, Y, Z (linear, millimetres) and A (rotary, degrees), in that order in every
 * array of four. Feeds are units per minute, accelerations units per second squared. A program
 * in inches (G20) is converted to millimetres as it is read, so every number the library gives
 * back is in millimetres (degrees for A).
 *
 * Objects (machine, program) are made by a load or read call and released by their free call;
 * a NULL object gives KTR4PATH_ERR_ARGUMENT. One object may be used from one thread at a time;
 * different objects from different threads at once.
 * @{
 */

/* Result codes 2001 and up, apart from ktr4's codes and from its drivers' (the simulated card's
 * are 1001 and up), so a card's code passed through never reads as one of these. */
/** Done. */
#define KTR4PATH_OK 0
/** An argument is NULL or out of range; nothing was done. */
#define KTR4PATH_ERR_ARGUMENT 2001
/** The machine file cannot be read or holds a value out of range (the error says which). */
#define KTR4PATH_ERR_MACHINE 2002
/** The part program has an error (the error gives its line and column); nothing was read. */
#define KTR4PATH_ERR_PROGRAM 2003
/** A file could not be read or written. */
#define KTR4PATH_ERR_FILE 2004
/** The program leaves a soft limit of the machine (the error names the line, axis and limit). */
#define KTR4PATH_ERR_SOFT_LIMIT 2005

/** The card's axes do not stand where the program starts, or one of them moves. */
#define KTR4PATH_ERR_POSITION 2006
/** The run cannot do that now (it has been started already). */
#define KTR4PATH_ERR_STATE 2007

/** A machine description, from ktr4path_load_machine. */
typedef struct ktr4path_machine ktr4path_machine;
/** A part program read into canonical moves, from ktr4path_read_program. */
typedef struct ktr4path_program ktr4path_program;
/** A program planned for a machine, from ktr4path_plan_program. */
typedef struct ktr4path_plan ktr4path_plan;

/** What went wrong: line and column from 1 (0 when the fault has no place), and a sentence. */
typedef struct ktr4path_error {
    int32_t line;
    int32_t column;
    char text[512];
} ktr4path_error;

/** Kinds of canonical move (ktr4path_move.kind). */
#define KTR4PATH_STRAIGHT_TRAVERSE 0
#define KTR4PATH_STRAIGHT_FEED 1
#define KTR4PATH_ARC_FEED 2
#define KTR4PATH_DWELL 3
#define KTR4PATH_OUTPUT 4
#define KTR4PATH_PROGRAM_PAUSE 5
#define KTR4PATH_PROGRAM_END 6

/** Arc planes (ktr4path_move.plane): G17, G18, G19. */
#define KTR4PATH_PLANE_XY 0
#define KTR4PATH_PLANE_ZX 1
#define KTR4PATH_PLANE_YZ 2

/** Dry-run formats (ktr4path_write_dry_run). */
#define KTR4PATH_FORMAT_TEXT 0
#define KTR4PATH_FORMAT_JSON 1

/** One canonical move of a program. */
typedef struct ktr4path_move {
    int32_t kind; /**< KTR4PATH_STRAIGHT_TRAVERSE .. KTR4PATH_PROGRAM_END */
    int32_t line; /**< line of the program, from 1 */
    int32_t n; /**< the line's N number, -1 when it has none */
    double start[4]; /**< X, Y, Z (mm), A (degrees) where the move begins */
    double end[4]; /**< where it ends (the start again for dwells, outputs and stops) */
    double feed; /**< straight and arc feeds: units per minute; 0 otherwise */
    int32_t plane; /**< arc feeds: KTR4PATH_PLANE_XY, _ZX or _YZ */
    double centre[2]; /**< arc feeds: the centre on the plane's first and second axis (XY: X, Y;
                           ZX: Z, X; YZ: Y, Z) */
    int32_t turns; /**< arc feeds: 1 counter-clockwise (G3), -1 clockwise (G2) */
    double seconds; /**< dwells: seconds */
    int32_t mcode; /**< outputs: the M-code whose machine-file output is switched */
} ktr4path_move;

/** @} */

/**
 * @defgroup pathmachine Machine description
 * A TOML file. Lengths in mm (degrees for A), feeds in units per minute, accelerations in units
 * per second squared:
 * @code
 * [path]                     # optional
 * corner_tolerance = 0.01    # mm a corner may be rounded by to keep speed, (0, 10]; default 0.01
 * chord_tolerance = 0.002    # mm an arc's chords, or a run's joined G1 lines, may leave the
 *                            # programmed path by, (0, 1]; default 0.002
 *
 * [axis.X]                   # also [axis.Y], [axis.Z], [axis.A]; at least one
 * card = 0                   # card number 0..15
 * axis = 0                   # card axis 0..3; no two program axes on one card axis
 * pulses_per_unit = 1000     # (0, 1000000]
 * direction = "normal"       # or "reversed": + program motion gives - pulses; default "normal"
 * max_feed = 6000            # (0, 6553500 * 60 / pulses_per_unit]: the card's top pulse rate
 * max_accel = 500            # (0, 1000000]
 * start_speed = 60           # [0, max_feed], where the card's ramps begin; default 0
 * soft_limit_min = -1        # machine travel; each within the card's 32-bit counter
 * soft_limit_max = 300       # greater than soft_limit_min
 * home_order = 2             # 1..4, the place in the homing order; 0 or absent: not homed
 * home_mode = "ORG_EZ"       # a KTR4_HOME_* name, with or without the prefix; needed when homed
 * home_direction = "minus"   # or "plus"; default "minus"
 *
 * [mcode.M3]                 # user M-codes M3..M199 except M30 and M60
 * card = 0
 * axis = 0
 * point = "OUT2"             # 0..11 or SVON, ARST, OUT2, ERC, TTL_0..TTL_7
 * on = true
 * @endcode
 * Keys not listed are refused, so a misspelt key is never ignored.
 * @{
 */

/**
 * @brief Reads and checks a machine description.
 *
 * @param path The TOML file.
 * @param machine Out: the machine; release it with ktr4path_free_machine. Untouched on failure.
 * @param error Out (may be NULL): on failure the file's line and column and a text naming the
 *   key, the value and the allowed range.
 * @retval KTR4PATH_OK loaded.
 * @retval KTR4PATH_ERR_ARGUMENT path or machine is NULL.
 * @retval KTR4PATH_ERR_MACHINE the file cannot be read, is not TOML, or a value is missing, of the
 *   wrong type or out of range.
 * @par Example
 * @code
 * ktr4path_machine* machine = NULL;
 * ktr4path_error error;
 * if (ktr4path_load_machine("router.toml", &machine, &error) != KTR4PATH_OK) {
 *     fprintf(stderr, "%s\n", error.text);
 *     return 1;
 * }
 * ktr4path_free_machine(machine);
 * @endcode
 * @see ktr4path_free_machine, ktr4path_read_program
 */
KTR4PATH_API int32_t ktr4path_load_machine(const char* path, ktr4path_machine** machine, ktr4path_error* error);

/**
 * @brief Releases a machine. Programs read against it must be released first.
 *
 * @param machine The machine, or NULL (nothing is done).
 */
KTR4PATH_API void ktr4path_free_machine(ktr4path_machine* machine);

/** @} */

/**
 * @defgroup pathprogram Part programs
 * The supported RS274/NGC subset: G0, G1, G2, G3 (centre I J K or radius R, full circles by
 * centre), G4 P (seconds), G17, G18, G19, G20, G21, G90, G91, G90.1, G91.1, G94, F, N (first on
 * its line), comments in ( ) and after ;, a line of % alone, M0 (pause), M2 and M30 (end; later
 * lines are not read) and the M-codes the machine file maps. Words act in RS274/NGC's order
 * within a line: F, outputs, G4, plane, units, distance modes, motion, stop. The program starts
 * in G17 G21 G90 G91.1 G94 with no motion mode and no feed. Errors: a letter or code outside
 * the subset, a number missing, two words of one modal group or two of one letter on a line,
 * G1/G2/G3 with no feed, axis words with no motion mode, I J K R without G2/G3, an axis the
 * machine lacks, an arc whose radii at its start and end differ by more than 0.01 mm or 0.1 %
 * of the radius (the larger), an R shorter than half the chord.
 * @{
 */

/**
 * @brief Reads a whole part program into canonical moves; with any error nothing is kept.
 *
 * @param machine The machine it runs on (its axes and mapped M-codes).
 * @param text The program, lines ended by LF (a CR before it is ignored); NUL-terminated.
 * @param start X, Y, Z, A where the machine stands at the start (mm, degrees); NULL for all zero.
 * @param program Out: the program; release it with ktr4path_free_program. Untouched on failure.
 * @param error Out (may be NULL): on failure the line and column of the first fault and why.
 * @retval KTR4PATH_OK read.
 * @retval KTR4PATH_ERR_ARGUMENT machine, text or program is NULL.
 * @retval KTR4PATH_ERR_PROGRAM the program has an error.
 * @par Example
 * @code
 * ktr4path_program* program = NULL;
 * ktr4path_error error;
 * if (ktr4path_read_program(machine, "G21 G90\nG1 X10 F600\nM2\n", NULL, &program, &error) != KTR4PATH_OK)
 *     fprintf(stderr, "line %d, column %d: %s\n", error.line, error.column, error.text);
 * @endcode
 * @see ktr4path_read_program_file, ktr4path_program_move
 */
KTR4PATH_API int32_t ktr4path_read_program(const ktr4path_machine* machine, const char* text, const double* start,
                                           ktr4path_program** program, ktr4path_error* error);

/**
 * @brief As ktr4path_read_program, from a file.
 *
 * @param machine The machine it runs on.
 * @param path The program file.
 * @param start X, Y, Z, A at the start; NULL for all zero.
 * @param program Out: the program; untouched on failure.
 * @param error Out (may be NULL): why it failed.
 * @retval KTR4PATH_OK read.
 * @retval KTR4PATH_ERR_ARGUMENT machine, path or program is NULL.
 * @retval KTR4PATH_ERR_FILE the file cannot be read.
 * @retval KTR4PATH_ERR_PROGRAM the program has an error.
 * @see ktr4path_read_program
 */
KTR4PATH_API int32_t ktr4path_read_program_file(const ktr4path_machine* machine, const char* path, const double* start,
                                                ktr4path_program** program, ktr4path_error* error);

/**
 * @brief Tells how many canonical moves a program holds.
 *
 * @param program The program.
 * @param count Out: the number of moves.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT program or count is NULL.
 */
KTR4PATH_API int32_t ktr4path_program_move_count(const ktr4path_program* program, uint32_t* count);

/**
 * @brief Gives one canonical move of a program.
 *
 * @param program The program.
 * @param index 0 .. count - 1.
 * @param move Out: the move.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT program or move is NULL, or index is not below the count.
 * @par Example
 * @code
 * uint32_t count = 0;
 * ktr4path_program_move_count(program, &count);
 * for (uint32_t i = 0; i < count; ++i) {
 *     ktr4path_move move;
 *     ktr4path_program_move(program, i, &move);
 *     printf("line %d kind %d to X%.3f\n", move.line, move.kind, move.end[0]);
 * }
 * @endcode
 */
KTR4PATH_API int32_t ktr4path_program_move(const ktr4path_program* program, uint32_t index, ktr4path_move* move);

/**
 * @brief Writes the program's canonical moves: the dry run, to check a program without a machine.
 *
 * Text: one line per move, e.g. "line 3 N30: ARC_FEED X10.0000 Y0.0000 Z0.0000 A0.0000 centre
 * X5.0000 Y0.0000 plane XY turns -1 F600.0000". JSON: an array of objects with the keys line, n
 * (when the line has one), kind, end {X, Y, Z, A}, feed, centre (the plane's two axes), plane,
 * turns, seconds or mcode as the kind needs.
 *
 * @param program The program.
 * @param format KTR4PATH_FORMAT_TEXT or KTR4PATH_FORMAT_JSON.
 * @param path The file to write; NULL writes to standard output.
 * @retval KTR4PATH_OK written.
 * @retval KTR4PATH_ERR_ARGUMENT program is NULL or format unknown.
 * @retval KTR4PATH_ERR_FILE the file cannot be written.
 */
KTR4PATH_API int32_t ktr4path_write_dry_run(const ktr4path_program* program, int32_t format, const char* path);

/**
 * @brief Releases a program.
 *
 * @param program The program, or NULL (nothing is done).
 */
KTR4PATH_API void ktr4path_free_program(ktr4path_program* program);

/**
 * @brief Checks that the whole program, arcs included, stays within the machine's soft limits.
 *
 * Arcs are checked at every quarter of the circle they pass, not only at their ends.
 *
 * @param machine The machine.
 * @param program The program, read against that machine.
 * @param error Out (may be NULL): the first limit left, e.g. "line 2: X reaches -11.0000, below
 *   axis.X.soft_limit_min -1.0000" (line set, column 0).
 * @retval KTR4PATH_OK within every limit.
 * @retval KTR4PATH_ERR_ARGUMENT machine or program is NULL.
 * @retval KTR4PATH_ERR_SOFT_LIMIT a limit is left.
 */
KTR4PATH_API int32_t ktr4path_check_soft_limits(const ktr4path_machine* machine, const ktr4path_program* program,
                                                ktr4path_error* error);

/** @} */

/**
 * @defgroup pathplan Planning
 * The planner turns a program into straight blocks (arcs become chords within the machine's
 * chord_tolerance) and gives each the speeds at its start, top and end: it keeps speed through a
 * joint as far as the corner tolerance (junction deviation) and every axis's start speed (the
 * speed step the axis takes at once) allow, looks ahead over at least 128 blocks, and can always
 * stop at the end of what it has looked at. Dwells, outputs and stops come to rest. Speeds here
 * are units per minute like F, accelerations units per second squared.
 * @{
 */

/** One planned block. */
typedef struct ktr4path_block {
    int32_t line; /**< program line it comes from */
    int32_t kind; /**< KTR4PATH_STRAIGHT_TRAVERSE, _STRAIGHT_FEED or _ARC_FEED (a chord) */
    double start[4]; /**< X, Y, Z, A at its start */
    double end[4]; /**< at its end */
    double length; /**< along X, Y, Z (A alone: degrees) */
    double entry_speed; /**< units per minute at the start */
    double peak_speed; /**< the highest speed inside */
    double exit_speed; /**< at the end: the next block's entry_speed */
    double max_speed; /**< the feed (or rapid) capped by every axis's max_feed along the block */
    double accel; /**< units/s² along the block, capped by every axis's max_accel */
    double seconds; /**< time the block takes */
} ktr4path_block;

/**
 * @brief Plans a program for a machine.
 *
 * @param machine The machine.
 * @param program The program, read against that machine.
 * @param lookahead Blocks of look-ahead; below 128 counts as 128.
 * @param plan Out: the plan; release it with ktr4path_free_plan. Untouched on failure.
 * @retval KTR4PATH_OK planned.
 * @retval KTR4PATH_ERR_ARGUMENT machine, program or plan is NULL.
 * @par Example
 * @code
 * ktr4path_plan* plan = NULL;
 * double seconds = 0;
 * if (ktr4path_plan_program(machine, program, 256, &plan) == KTR4PATH_OK) {
 *     ktr4path_plan_seconds(plan, &seconds);
 *     printf("%.1f s\n", seconds);
 *     ktr4path_free_plan(plan);
 * }
 * @endcode
 */
KTR4PATH_API int32_t ktr4path_plan_program(const ktr4path_machine* machine, const ktr4path_program* program,
                                           uint32_t lookahead, ktr4path_plan** plan);

/**
 * @brief Tells how many blocks a plan holds.
 *
 * @param plan The plan.
 * @param count Out: the number of blocks.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT plan or count is NULL.
 */
KTR4PATH_API int32_t ktr4path_plan_block_count(const ktr4path_plan* plan, uint32_t* count);

/**
 * @brief Gives one block of a plan.
 *
 * @param plan The plan.
 * @param index 0 .. count - 1.
 * @param block Out: the block.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT plan or block is NULL, or index is not below the count.
 */
KTR4PATH_API int32_t ktr4path_plan_block(const ktr4path_plan* plan, uint32_t index, ktr4path_block* block);

/**
 * @brief Tells how long the planned program takes: its blocks and its dwells.
 *
 * @param plan The plan.
 * @param seconds Out: seconds.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT plan or seconds is NULL.
 */
KTR4PATH_API int32_t ktr4path_plan_seconds(const ktr4path_plan* plan, double* seconds);

/**
 * @brief Releases a plan.
 *
 * @param plan The plan, or NULL (nothing is done).
 */
KTR4PATH_API void ktr4path_free_plan(ktr4path_plan* plan);

/** @} */

/**
 * @defgroup pathrun Running a program on the card
 * A run hands a program to the card that the machine file names, through the public ktr4 API
 * (KTR4_initial must have succeeded). The machine's axes must all be on one card and stand still
 * where the program starts (read the card's positions and pass them to ktr4path_read_program).
 * The run puts them in continuous mode with a speed range for the fastest axis, plans the program
 * (as ktr4path_plan_program) and keeps the card's continuous buffer filled from a thread of its
 * own that looks at the card every millisecond; on the card each planned block becomes line moves
 * of at most 20 ms that rise from one move's top speed to the next and step down by at most every
 * axis's start speed (a queued move starts at its own start speed), so the speed falls no faster
 * than the axes' accelerations allow. Dwells, outputs (KTR4_write_output_point) and M0 follow
 * the program. The card takes about 500 queued moves a second, so runs of short G1 lines at one
 * feed that lie on one line within chord_tolerance (as CAM writes curves) go to the card as one
 * move, as long as no axis turns off it by more than 0.4 of its start speed at the feed; in
 * single block every line is a move of its own. Progress still names the program's own lines.
 *
 * Feed hold, override and single block act at the end of the moves the card holds already (the
 * running one and the queued one, together at most 40 ms): a hold brakes to a stop on the path
 * within the braking distance from there, an override plans again from there. The emergency
 * stop stops every axis of the card at once (KTR4_emg_stop) and ends the run.
 * @{
 */

/** Run states (ktr4path_progress.state). */
#define KTR4PATH_RUN_READY 0
#define KTR4PATH_RUN_RUNNING 1
#define KTR4PATH_RUN_HOLDING 2
#define KTR4PATH_RUN_HELD 3
#define KTR4PATH_RUN_PAUSED 4
#define KTR4PATH_RUN_DWELLING 5
#define KTR4PATH_RUN_FINISHED 6
#define KTR4PATH_RUN_STOPPED 7
#define KTR4PATH_RUN_FAILED 8

/** A program running on the card, from ktr4path_run_start. */
typedef struct ktr4path_run ktr4path_run;

/** Where a run is. */
typedef struct ktr4path_progress {
    int32_t state; /**< KTR4PATH_RUN_READY .. KTR4PATH_RUN_FAILED */
    int32_t line; /**< program line of the move the card runs (or ran last) */
    double position[4]; /**< X, Y, Z (mm), A (degrees) where the axes stand */
    double feed; /**< speed along X, Y, Z now, units per minute */
    double override_percent; /**< the feed override, 10..200 */
    uint64_t moves_sent; /**< card moves handed to the card so far */
    uint64_t underruns; /**< times the card ran out of moves in the middle of a path (it then
                             goes on from rest) */
    int32_t error; /**< KTR4PATH_RUN_FAILED: the failing card call's result code */
} ktr4path_progress;

/**
 * @brief Starts running a program on the card.
 *
 * @param machine The machine; it must outlive the run.
 * @param program The program, read against that machine; it must outlive the run.
 * @param run Out: the run; release it with ktr4path_run_free. Untouched on failure.
 * @retval KTR4PATH_OK the run has started.
 * @retval KTR4PATH_ERR_ARGUMENT machine, program or run is NULL, or no thread could be made.
 * @retval KTR4PATH_ERR_MACHINE the machine's axes are on more than one card.
 * @retval KTR4PATH_ERR_SOFT_LIMIT the program leaves a soft limit (ktr4path_check_soft_limits says
 *   where); nothing moves.
 * @retval KTR4PATH_ERR_POSITION an axis moves or does not stand where the program starts.
 * @retval other a card call failed: ktr4's code (KTR4_ERR_NOT_INITIALISED without KTR4_initial).
 * @par Example
 * @code
 * ktr4path_run* run = NULL;
 * int32_t state = 0;
 * if (ktr4path_run_start(machine, program, &run) != KTR4PATH_OK) return 1;
 * do ktr4path_run_wait(run, 100, &state);
 * while (state != KTR4PATH_RUN_FINISHED && state != KTR4PATH_RUN_STOPPED && state != KTR4PATH_RUN_FAILED);
 * ktr4path_run_free(run);
 * @endcode
 * @see ktr4path_run_progress, ktr4path_run_hold, ktr4path_run_free
 */
KTR4PATH_API int32_t ktr4path_run_start(const ktr4path_machine* machine, const ktr4path_program* program,
                                        ktr4path_run** run);

/**
 * @brief Tells where a run is: its state, line, position and feed.
 *
 * @param run The run.
 * @param progress Out: the progress.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT run or progress is NULL.
 * @par Example
 * @code
 * ktr4path_progress p;
 * ktr4path_run_progress(run, &p);
 * printf("line %d X%.3f F%.0f\n", p.line, p.position[0], p.feed);
 * @endcode
 */
KTR4PATH_API int32_t ktr4path_run_progress(const ktr4path_run* run, ktr4path_progress* progress);

/**
 * @brief Feed hold: brakes to a stop on the path (state HOLDING, then HELD).
 *
 * The stop lies at the braking distance the axes' accelerations allow beyond the moves the card
 * holds already. Only a running run holds; otherwise nothing is done.
 *
 * @param run The run.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT run is NULL.
 * @par Example
 * @code
 * ktr4path_run_hold(run);   // later: ktr4path_run_resume(run);
 * @endcode
 */
KTR4PATH_API int32_t ktr4path_run_hold(ktr4path_run* run);

/**
 * @brief Goes on after a hold, after M0 or after a single block's line; otherwise does nothing.
 *
 * @param run The run.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT run is NULL.
 */
KTR4PATH_API int32_t ktr4path_run_resume(ktr4path_run* run);

/**
 * @brief Sets the feed override: the programmed feeds of G1, G2 and G3 times percent / 100, within
 *   every axis's max_feed (rapids keep their speed).
 *
 * @param run The run.
 * @param percent 10..200.
 * @retval KTR4PATH_OK set; it acts from the end of the moves the card holds.
 * @retval KTR4PATH_ERR_ARGUMENT run is NULL or percent outside 10..200 (NaN too).
 * @par Example
 * @code
 * ktr4path_run_set_override(run, 150.0);
 * @endcode
 */
KTR4PATH_API int32_t ktr4path_run_set_override(ktr4path_run* run, double percent);

/**
 * @brief Single block: when on, the run stops at the end of each program line (state PAUSED)
 *   until ktr4path_run_resume.
 *
 * @param run The run.
 * @param on Non-zero on, 0 off.
 * @retval KTR4PATH_OK done.
 * @retval KTR4PATH_ERR_ARGUMENT run is NULL.
 */
KTR4PATH_API int32_t ktr4path_run_single_block(ktr4path_run* run, int32_t on);

/**
 * @brief Emergency stop: stops every axis of the card at once (KTR4_emg_stop) and ends the run
 *   (state STOPPED).
 *
 * @param run The run.
 * @retval KTR4PATH_OK the stop is commanded.
 * @retval KTR4PATH_ERR_ARGUMENT run is NULL.
 * @retval other KTR4_emg_stop failed: its code.
 */
KTR4PATH_API int32_t ktr4path_run_emergency_stop(ktr4path_run* run);

/**
 * @brief Waits until the run is over (FINISHED, STOPPED or FAILED) or the time is up.
 *
 * @param run The run.
 * @param milliseconds The longest wait, ms.
 * @param state Out (may be NULL): the run's state after the wait.
 * @retval KTR4PATH_OK done (whether or not the run is over: see state).
 * @retval KTR4PATH_ERR_ARGUMENT run is NULL.
 */
KTR4PATH_API int32_t ktr4path_run_wait(ktr4path_run* run, uint32_t milliseconds, int32_t* state);

/**
 * @brief Ends a run and releases it; a run still moving is stopped at once first.
 *
 * @param run The run, or NULL (nothing is done).
 */
KTR4PATH_API void ktr4path_run_free(ktr4path_run* run);

/** @} */

/**
 * @defgroup patherrors Result texts
 * @{
 */

/**
 * @brief Gives a constant English text for a result code of this library.
 *
 * @param code Any KTR4PATH_ result code.
 * @par Example
 * @code
 * puts(ktr4path_error_text(KTR4PATH_ERR_PROGRAM));  // "the part program has an error"
 * @endcode
 */
KTR4PATH_API const char* ktr4path_error_text(int32_t code);

/** @} */

#ifdef __cplusplus
}
#endif

#endif
