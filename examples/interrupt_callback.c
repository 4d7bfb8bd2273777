/*
 * Interrupts with a callback: the card tells the program that a move of axis 3 has ended.
 *
 * The axis's interrupt source passes on the move-end event (source bit 0, event factor bit 0),
 * its mask lets it through, KTR4_enable_IRQ switches the card's interrupt on and
 * KTR4_link_IRQ_process starts a service thread that calls on_interrupt for every interrupt of
 * the card. The callback runs on that thread without the library's lock held, so it may call
 * the library; here it reads the axis's event flags and counts the move ends.
 *
 * Three moves are run; the program checks that the callback saw three move ends. The moves
 * run on the simulated card's virtual clock; the callback comes from a real thread, so the
 * program waits for it in real time (a few milliseconds). Exit status 0 when every check
 * passed.
 */
#define _POSIX_C_SOURCE 200809L
#include <stdatomic.h>
#include <stdio.h>
#include <time.h>

#include <ktr4.h>
#include <ktr4sim.h>

enum { CARD = 0, AXIS = 3, MOVES = 3 };

static atomic_int move_ends;

/* 1 when the call succeeded; otherwise reports its code as text. */
static int ok(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "interrupt_callback: %s: %d, %s\n", call, (int)rc, KTR4_error_text(rc));
    return rc == KTR4_OK;
}

static void KTR4_CALL on_interrupt(uint8_t card)
{
    uint32_t flags = 0;
    if (!ok("KTR4_read_event_flag", KTR4_read_event_flag(card, AXIS, &flags)))
        return;
    if (flags & 0x0001)
        atomic_fetch_add(&move_ends, 1); /* bit 0: a move ended */
}

/* Waits up to 5 s of real time until the callback has counted `count` move ends. */
static int wait_for_move_ends(int count)
{
    const struct timespec pause = {0, 1000 * 1000};
    for (int waited = 0; waited < 5000 && atomic_load(&move_ends) < count; ++waited)
        nanosleep(&pause, NULL);
    return atomic_load(&move_ends) >= count;
}

static int run(void)
{
    KTR4_EVENT event;
    if (!ok("KTR4_set_INT_source", KTR4_set_INT_source(CARD, AXIS, 0x1, 0x1))
        || !ok("KTR4_set_INT_mask", KTR4_set_INT_mask(CARD, AXIS, 1))
        || !ok("KTR4_enable_IRQ", KTR4_enable_IRQ(CARD, &event))
        || !ok("KTR4_link_IRQ_process", KTR4_link_IRQ_process(CARD, on_interrupt)))
        return 0;
    for (int move = 1; move <= MOVES; ++move) {
        if (!ok("KTR4_TR_position_move", KTR4_TR_position_move(CARD, AXIS, 2000, 1000, 20000, 0.05, 0.05)))
            return 0;
        ktr4sim_advance(KTR4SIM_TICKS_PER_SECOND); /* a second of card time: the move ends */
        if (!wait_for_move_ends(move)) {
            fprintf(stderr, "interrupt_callback: no callback for the end of move %d\n", move);
            return 0;
        }
        printf("move %d ended: callback counted %d move ends\n", move, atomic_load(&move_ends));
    }
    int32_t end = 0;
    if (!ok("KTR4_disable_IRQ", KTR4_disable_IRQ(CARD))
        || !ok("KTR4_read_current_position", KTR4_read_current_position(CARD, AXIS, &end)))
        return 0;
    if (end != MOVES * 2000 || atomic_load(&move_ends) != MOVES) {
        fprintf(stderr, "interrupt_callback: axis at %d after %d move ends\n", (int)end, atomic_load(&move_ends));
        return 0;
    }
    return 1;
}

int main(void)
{
    ktr4sim_use_virtual_clock(1);
    if (!ok("KTR4_initial", KTR4_initial()))
        return 1;
    const int passed = ok("KTR4_init_card", KTR4_init_card(CARD)) && run();
    ok("KTR4_close", KTR4_close());
    printf("%s\n", passed ? "done" : "FAILED");
    return passed ? 0 : 1;
}
