/*
 * Saving a card's configuration to a file and loading it back.
 *
 * The program sets a few things a machine is set up with once (pulse output mode of axis 0,
 * soft limits of axis 1, backlash compensation of axis 2), saves the card's configuration
 * (KTR4_save_config2_file, a 212-byte record), overwrites the settings, loads the file
 * (KTR4_load_config_from_file) and checks that every setting is back. It also shows what a
 * load of a missing file returns.
 *
 *   config_save_load [FILE]      (default: ktr4_example.cfg in the working folder, removed
 *                                 at the end)
 *
 * Exit status 0 when every check passed.
 */
#include <stdio.h>

#include <ktr4.h>

enum { CARD = 0 };

/* 1 when the call succeeded; otherwise reports its code as text. */
static int ok(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        fprintf(stderr, "config_save_load: %s: %d, %s\n", call, (int)rc, KTR4_error_text(rc));
    return rc == KTR4_OK;
}

/* The settings this program saves and checks. */
struct settings {
    int32_t out_mode;
    int32_t limit_plus, limit_minus; /* the + soft limit first, as KTR4_set_softlimit_data takes them */
    int32_t backlash;
};

static int apply(const struct settings* s)
{
    return ok("KTR4_set_pulse_outmode", KTR4_set_pulse_outmode(CARD, 0, (ktr4_u8)s->out_mode))
        && ok("KTR4_set_softlimit_data", KTR4_set_softlimit_data(CARD, 1, s->limit_plus, s->limit_minus))
        && ok("KTR4_backlash_comp", KTR4_backlash_comp(CARD, 2, (ktr4_u16)s->backlash, 0, 1000));
}

static int read_back(struct settings* s)
{
    uint8_t mode = 0, variant = 0;
    uint16_t amount = 0;
    uint32_t speed = 0;
    if (!ok("KTR4_readback_pulse_outmode", KTR4_readback_pulse_outmode(CARD, 0, &mode))
        || !ok("KTR4_readback_softlimit_data", KTR4_readback_softlimit_data(CARD, 1, &s->limit_plus, &s->limit_minus))
        || !ok("KTR4_readback_backlash_comp", KTR4_readback_backlash_comp(CARD, 2, &amount, &variant, &speed)))
        return 0;
    s->out_mode = mode;
    s->backlash = amount;
    return 1;
}

static int run(const char* path)
{
    const struct settings machine = {4, 120000, -50000, 25}, other = {0, 1, -1, 0};
    struct settings loaded;
    if (!apply(&machine) || !ok("KTR4_save_config2_file", KTR4_save_config2_file(CARD, path)))
        return 0;
    printf("saved the configuration to %s\n", path);
    if (!apply(&other) || !ok("KTR4_load_config_from_file", KTR4_load_config_from_file(CARD, path))
        || !read_back(&loaded))
        return 0;
    printf("loaded: pulse output mode %d, soft limits %d..%d, backlash %d pulses\n", (int)loaded.out_mode,
           (int)loaded.limit_minus, (int)loaded.limit_plus, (int)loaded.backlash);
    if (loaded.out_mode != machine.out_mode || loaded.limit_minus != machine.limit_minus
        || loaded.limit_plus != machine.limit_plus || loaded.backlash != machine.backlash) {
        fprintf(stderr, "config_save_load: the loaded settings differ from the saved ones\n");
        return 0;
    }
    /* A file that is not there: nothing on the card changes, and the code says why. */
    const int32_t missing = KTR4_load_config_from_file(CARD, "no/such/folder/ktr4.cfg");
    printf("loading a missing file: %d, %s\n", (int)missing, KTR4_error_text(missing));
    return missing == KTR4_ERR_FILE;
}

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "ktr4_example.cfg";
    if (!ok("KTR4_initial", KTR4_initial()))
        return 1;
    const int passed = ok("KTR4_init_card", KTR4_init_card(CARD)) && run(path);
    ok("KTR4_close", KTR4_close());
    if (argc <= 1)
        remove(path);
    printf("%s\n", passed ? "done" : "FAILED");
    return passed ? 0 : 1;
}
