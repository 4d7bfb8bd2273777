/*
 * ktr4sim_scope - the live scope segment of the simulated KTR4 card driver: its layout and its
 * sequence lock, for the publisher in libktr4sim and for readers such as ktr4-scope.
 *
 * When the environment variable KTR4SIM_SCOPE is set (to anything) as the simulator loads, a
 * publisher thread writes the live state of every card and axis, 100 times a second, to the
 * POSIX shared-memory segment named KTR4SIM_SCOPE_PREFIX followed by the process id in decimal
 * ("/ktr4sim-scope-4711", i.e. /dev/shm/ktr4sim-scope-4711 on Linux). In wall-clock mode the
 * publisher also brings the model up to the present, so the card moves while the program makes
 * no call. Unset, there is no thread and no segment.
 *
 * The segment is one ktr4sim_scope_segment, created anew (never an existing object taken over)
 * with mode 0600: only processes of the publisher's user, and root, can read it. When an object
 * of another user already has the name, the program runs without a scope and says so once on
 * standard error; one of its own user left by a killed process of the same id is replaced. The
 * segment is removed when the process ends normally; a reader that finds a segment whose process
 * is gone (kill(pid, 0) fails with ESRCH) may remove it.
 *
 * The publisher never maps the segment: it keeps the segment's image in its own memory and
 * writes each change into the object with pwrite, so a segment truncated or resized under it
 * cannot stop the program (a mapping would fault). It puts a resized segment back to its size
 * and contents at its next publication. Readers should likewise read with pread (the C++ part
 * below does) and take nothing from a segment for granted: a mapped segment that is truncated
 * faults its reader, and its contents are anyone's of the same user to write.
 *
 * It keeps the last KTR4SIM_SCOPE_SLOTS publications (0.64 s), so a reader that is late misses
 * none: publication n (counted from 1) goes to ring[n % KTR4SIM_SCOPE_SLOTS], and `latest`
 * names the newest whole one. Each slot has its own sequence lock: `sequence` is odd while the
 * publisher writes the slot's `state`, even when it is whole. The publisher never waits for
 * readers: it makes `sequence` odd, writes `state`, makes `sequence` even, then writes `latest`,
 * with a full memory fence between these writes. A reader reads `latest`, then for each
 * publication it wants reads the slot's `sequence`, the slot's `state` and `sequence` again,
 * with a fence between these reads; the copy is good when both sequence values are equal and
 * even and `state.sample` is the publication wanted (otherwise it was overwritten: the reader
 * was more than a ring behind). A careful reader also checks the state itself (card_count at
 * most KTR4SIM_SCOPE_MAX_CARDS, finite speeds) before it indexes anything with it.
 * `magic` is written last, once the header is filled in.
 */
#ifndef KTR4SIM_SCOPE_H
#define KTR4SIM_SCOPE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

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
#define KTR4SIM_MOVE_HOME 3u /* origin return */
#define KTR4SIM_MOVE_LINE 4u /* linear interpolation */
#define KTR4SIM_MOVE_ARC 5u /* circular interpolation */
#define KTR4SIM_MOVE_PULSER 6u

/* Simulated sensors (sensors). */
#define KTR4SIM_SENSOR_HOME 0x0001u /* the command position is on the HOME sensor (ktr4sim_set_home) */

typedef struct ktr4sim_scope_axis {
    int32_t command_position; /* command counter (read code 0xE3) */
    int32_t feedback_position; /* feedback counter (0xE4) */
    double speed; /* pulses per second, as KTR4_read_speed reports it */
    uint32_t speed_register; /* current speed register (0xF5) */
    uint32_t operation_mode; /* operation-mode register (0xD7) */
    uint16_t main_status; /* main status port word (stopped 0x0008, soft limits 0x0100/0x0200,
                             buffer full 0x4000) */
    uint16_t sub_status; /* sub-status port word */
    uint16_t move_kind; /* KTR4SIM_MOVE_* */
    uint16_t sensors; /* KTR4SIM_SENSOR_* bits */
} ktr4sim_scope_axis; /* 32 bytes */

typedef struct ktr4sim_scope_card {
    uint32_t switch_number; /* card number switch, 0..15 */
    uint32_t reserved;
    ktr4sim_scope_axis axes[4];
} ktr4sim_scope_card; /* 136 bytes */

typedef struct ktr4sim_scope_state {
    uint64_t sample; /* counts the publications from 1 */
    uint64_t tick; /* simulator clock (ktr4sim_now) when the state was taken */
    int64_t monotonic_ns; /* CLOCK_MONOTONIC when the state was taken */
    uint32_t card_count; /* cards present, 0..16 */
    uint32_t virtual_clock; /* 1: the simulator runs on its virtual clock */
    ktr4sim_scope_card cards[KTR4SIM_SCOPE_MAX_CARDS];
} ktr4sim_scope_state; /* 2208 bytes */

typedef struct ktr4sim_scope_slot {
    uint32_t sequence; /* the slot's sequence lock */
    uint32_t reserved;
    ktr4sim_scope_state state;
} ktr4sim_scope_slot; /* 2216 bytes */

typedef struct ktr4sim_scope_segment {
    uint32_t magic; /* KTR4SIM_SCOPE_MAGIC once the header is valid */
    uint32_t version; /* KTR4SIM_SCOPE_VERSION */
    uint32_t size; /* sizeof(ktr4sim_scope_segment) */
    int32_t pid; /* the publishing process */
    uint32_t rate_hz; /* publications per second */
    uint32_t slot_count; /* KTR4SIM_SCOPE_SLOTS */
    uint64_t latest; /* number of the newest whole publication (0: none yet) */
    ktr4sim_scope_slot ring[KTR4SIM_SCOPE_SLOTS]; /* not "slots": Qt defines that word */
} ktr4sim_scope_segment; /* 141 856 bytes */

#ifdef __cplusplus
} /* extern "C" */

/* The sequence lock in C++ (17 or later), over a file descriptor of the segment (POSIX). */
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <string>

namespace ktr4sim::scope {

static_assert(sizeof(ktr4sim_scope_axis) == 32);
static_assert(sizeof(ktr4sim_scope_card) == 136);
static_assert(sizeof(ktr4sim_scope_state) == 2208);
static_assert(sizeof(ktr4sim_scope_slot) == 2216);
static_assert(sizeof(ktr4sim_scope_segment) == 32 + 64 * 2216);
static_assert(offsetof(ktr4sim_scope_segment, latest) == 24);
static_assert(offsetof(ktr4sim_scope_segment, ring) == 32);
static_assert(offsetof(ktr4sim_scope_slot, state) == 8);

/* The segment's first 32 bytes. */
struct Header {
    uint32_t magic, version, size;
    int32_t pid;
    uint32_t rate_hz, slot_count;
    uint64_t latest;
};
static_assert(sizeof(Header) == offsetof(ktr4sim_scope_segment, ring));

/* "/ktr4sim-scope-<pid>". */
inline std::string segment_name(long pid)
{
    return KTR4SIM_SCOPE_PREFIX + std::to_string(pid);
}

inline off_t slot_offset(uint64_t publication)
{
    return static_cast<off_t>(offsetof(ktr4sim_scope_segment, ring)
                              + (publication % KTR4SIM_SCOPE_SLOTS) * sizeof(ktr4sim_scope_slot));
}

/* Orders the file accesses of the sequence lock, as the fences of a mapped seqlock would.
 * ThreadSanitizer models no fences (and sees no memory shared through the file anyway). */
inline void order_accesses()
{
#if defined(__SANITIZE_THREAD__)
#elif defined(__has_feature)
#if !__has_feature(thread_sanitizer)
    std::atomic_thread_fence(std::memory_order_seq_cst);
#endif
#else
    std::atomic_thread_fence(std::memory_order_seq_cst);
#endif
}

/* All `size` bytes at `offset`, or false: a short count means the object is shorter now. */
inline bool read_at(int fd, void* to, size_t size, off_t offset)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(fd, static_cast<unsigned char*>(to) + done, size - done, offset + static_cast<off_t>(done));
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            return false;
    }
    return true;
}

inline bool write_at(int fd, const void* from, size_t size, off_t offset)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, static_cast<const unsigned char*>(from) + done, size - done,
                                   offset + static_cast<off_t>(done));
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR)
            return false;
    }
    return true;
}

/* --- the publisher: one writer, which keeps the segment's image in its own memory ------- */

/* Fills in the header of a fresh (all zero) image. */
inline void init_segment(ktr4sim_scope_segment& image, int32_t pid)
{
    image.magic = KTR4SIM_SCOPE_MAGIC;
    image.version = KTR4SIM_SCOPE_VERSION;
    image.size = sizeof(ktr4sim_scope_segment);
    image.pid = pid;
    image.rate_hz = KTR4SIM_SCOPE_RATE_HZ;
    image.slot_count = KTR4SIM_SCOPE_SLOTS;
}

/* Writes the whole image into the object, the header (with its magic) last. */
inline bool write_segment(int fd, const ktr4sim_scope_segment& image)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(&image);
    if (!write_at(fd, bytes + sizeof(Header), sizeof image - sizeof(Header), sizeof(Header)))
        return false;
    order_accesses();
    return write_at(fd, bytes, sizeof(Header), 0);
}

/* Publishes `state` (its `sample` one more than the last) into the image and the object;
 * never waits. False when the object refused a write (it stays consistent for readers). */
inline bool publish(int fd, ktr4sim_scope_segment& image, const ktr4sim_scope_state& state)
{
    ktr4sim_scope_slot& slot = image.ring[state.sample % KTR4SIM_SCOPE_SLOTS];
    const off_t at = slot_offset(state.sample);
    slot.sequence += 1;
    bool ok = write_at(fd, &slot.sequence, sizeof slot.sequence, at);
    order_accesses();
    slot.state = state;
    ok = write_at(fd, &slot.state, sizeof slot.state, at + static_cast<off_t>(offsetof(ktr4sim_scope_slot, state)))
        && ok;
    order_accesses();
    slot.sequence += 1;
    ok = write_at(fd, &slot.sequence, sizeof slot.sequence, at) && ok;
    order_accesses();
    image.latest = state.sample;
    return write_at(fd, &image.latest, sizeof image.latest, offsetof(ktr4sim_scope_segment, latest)) && ok;
}

/* --- readers ------------------------------------------------------------------------------ */

inline bool header_valid(const Header& header)
{
    return header.magic == KTR4SIM_SCOPE_MAGIC && header.version == KTR4SIM_SCOPE_VERSION
        && header.size == sizeof(ktr4sim_scope_segment) && header.slot_count == KTR4SIM_SCOPE_SLOTS;
}

inline bool read_header(int fd, Header& header)
{
    return read_at(fd, &header, sizeof header, 0);
}

/* The newest whole publication's number; 0 when none, or the object cannot be read. */
inline uint64_t latest(int fd)
{
    uint64_t value = 0;
    return read_at(fd, &value, sizeof value, offsetof(ktr4sim_scope_segment, latest)) ? value : 0;
}

/* What the publisher can have written: at most 16 cards, each with a switch 0..15, a clock
 * flag 0 or 1, and speeds the speed register can show (0..65535 × 300 pulses per second). */
inline bool state_valid(const ktr4sim_scope_state& state)
{
    if (state.card_count > KTR4SIM_SCOPE_MAX_CARDS || state.virtual_clock > 1)
        return false;
    for (uint32_t c = 0; c < state.card_count; ++c) {
        if (state.cards[c].switch_number > 15)
            return false;
        for (const ktr4sim_scope_axis& axis : state.cards[c].axes)
            if (!(axis.speed >= 0.0 && axis.speed <= 65535.0 * 300.0))
                return false;  // NaN fails too
    }
    return true;
}

enum class Copy {
    kWhole, /* `state` holds the publication */
    kBusy, /* the publisher was writing the slot: another attempt may succeed */
    kNotThere, /* the slot holds another publication, or nothing a publisher could have written */
};

/* One attempt at a whole copy of publication `publication`. */
inline Copy try_read(int fd, uint64_t publication, ktr4sim_scope_state& state)
{
    const off_t at = slot_offset(publication);
    uint32_t before = 0, after = 0;
    if (!read_at(fd, &before, sizeof before, at))
        return Copy::kNotThere;
    if (before & 1u)
        return Copy::kBusy;
    order_accesses();
    if (!read_at(fd, &state, sizeof state, at + static_cast<off_t>(offsetof(ktr4sim_scope_slot, state))))
        return Copy::kNotThere;
    order_accesses();
    if (!read_at(fd, &after, sizeof after, at))
        return Copy::kNotThere;
    if (after != before)
        return Copy::kBusy;
    return state.sample == publication && state_valid(state) ? Copy::kWhole : Copy::kNotThere;
}

/* The newest whole publication; false when there is none (or the publisher kept writing
 * its slot through every attempt, which does not happen at 100 Hz). */
inline bool read(int fd, ktr4sim_scope_state& state, int attempts = 100)
{
    for (int i = 0; i < attempts; ++i) {
        const uint64_t newest = latest(fd);
        if (newest == 0)
            return false;
        const Copy copy = try_read(fd, newest, state);
        if (copy == Copy::kWhole)
            return true;
        if (copy == Copy::kNotThere && latest(fd) == newest)
            return false;
    }
    return false;
}

/* Every whole publication after `after` still in the ring, oldest first, handed to `take`;
 * returns the number to pass next time. Whatever the segment holds, it reads at most the
 * ring's slots, each a bounded number of times. */
template <typename Take> uint64_t read_since(int fd, uint64_t after, ktr4sim_scope_state& state, Take take)
{
    const uint64_t newest = latest(fd);
    if (newest < after)
        after = 0;  // a new publisher under the same name
    const uint64_t count = newest - after < KTR4SIM_SCOPE_SLOTS ? newest - after : KTR4SIM_SCOPE_SLOTS;
    int retries = 2 * static_cast<int>(KTR4SIM_SCOPE_SLOTS);  // for the whole call
    for (uint64_t k = count; k > 0; --k) {
        const uint64_t n = newest - k + 1;
        for (;;) {
            const Copy copy = try_read(fd, n, state);
            if (copy == Copy::kWhole)
                take(state);
            if (copy != Copy::kBusy || retries-- <= 0)
                break;
            const uint64_t now = latest(fd);
            if (now >= n && now - n >= KTR4SIM_SCOPE_SLOTS - 1)
                break;  // overwritten: lost
        }
    }
    return newest;
}

}  // namespace ktr4sim::scope

#endif /* __cplusplus */

#endif /* KTR4SIM_SCOPE_H */
