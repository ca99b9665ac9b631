/* kwin-input: pointer and keyboard input through KWin's fake-input Wayland protocol
 * (org_kde_kwin_fake_input), for check-wayland.sh. It speaks the same line protocol as
 * mutter-input.py, reading commands from standard input, one a line:
 *     move X Y          the pointer to X,Y in screen pixels (pointer_motion_absolute; a
 *                       compositor older than version 3 of the interface gets what
 *                       mutter-input.py does: to the top-left corner, then on by X,Y)
 *     button CODE 1|0   press or release an evdev button (272 left, 273 right)
 *     key KEYSYM 1|0    press or release a key, by X keysym (the keys of keysym_to_evdev)
 * Prints "ready" once bound and authenticated and "ok" after each command, once the compositor
 * has processed it (a wl_display_roundtrip). A command it cannot carry out gets the reply
 * "error ..." (also on standard error) and makes the exit status 1; the compositor going away
 * ends it with status 1.
 *
 * KWin 5.27 offers org_kde_kwin_fake_input only to programs whose desktop file lists it in
 * X-KDE-Wayland-Interfaces, unless the compositor runs with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1;
 * without either, the global is not announced at all and this tool exits with status 2.
 *
 * Build (no CMake; check-wayland.sh does this on the fly, see kwin-glue.sh), with OUT a
 * scratch directory:
 *   wayland-scanner client-header /usr/share/plasma-wayland-protocols/fake-input.xml \
 *       "$OUT/fake-input-client-protocol.h"
 *   wayland-scanner private-code /usr/share/plasma-wayland-protocols/fake-input.xml \
 *       "$OUT/fake-input-protocol.c"
 *   cc -std=c99 -O2 -Wall -Wextra -I"$OUT" -o "$OUT/kwin-input" tests/e2e/wayland/kwin-input.c \
 *       "$OUT/fake-input-protocol.c" -lwayland-client
 * Packages: libwayland-dev (wayland-scanner, headers), plasma-wayland-protocols.
 */
#define _POSIX_C_SOURCE 200809L
#include <linux/input-event-codes.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"

static struct org_kde_kwin_fake_input *fake;
static uint32_t fake_version;

static void on_global(void *data, struct wl_registry *registry, uint32_t name,
                      const char *interface, uint32_t version) {
    (void)data;
    if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && !fake) {
        fake_version = version < 4 ? version : 4;
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, fake_version);
    }
}

static void on_global_remove(void *data, struct wl_registry *registry, uint32_t name) {
    (void)data;
    (void)registry;
    (void)name;
}

static const struct wl_registry_listener registry_listener = {on_global, on_global_remove};

/* X keysyms of the keys the checks press, and their evdev codes (a US layout's). */
struct key_entry {
    unsigned long keysym;
    uint32_t code;
};

static const struct key_entry keys[] = {
    {0xff1b, KEY_ESC},       {0xff0d, KEY_ENTER},     {0xff8d, KEY_KPENTER},
    {0xff09, KEY_TAB},       {0xff08, KEY_BACKSPACE}, {0xffff, KEY_DELETE},
    {0x0020, KEY_SPACE},     {0xff50, KEY_HOME},      {0xff57, KEY_END},
    {0xff55, KEY_PAGEUP},    {0xff56, KEY_PAGEDOWN},  {0xff51, KEY_LEFT},
    {0xff52, KEY_UP},        {0xff53, KEY_RIGHT},     {0xff54, KEY_DOWN},
    {0xffe1, KEY_LEFTSHIFT}, {0xffe2, KEY_RIGHTSHIFT}, {0xffe3, KEY_LEFTCTRL},
    {0xffe4, KEY_RIGHTCTRL}, {0xffe9, KEY_LEFTALT},   {0xffea, KEY_RIGHTALT},
    {0xffeb, KEY_LEFTMETA},  {0xff67, KEY_MENU},
};

static const uint32_t letter_codes[26] = {
    KEY_A, KEY_B, KEY_C, KEY_D, KEY_E, KEY_F, KEY_G, KEY_H, KEY_I, KEY_J, KEY_K, KEY_L, KEY_M,
    KEY_N, KEY_O, KEY_P, KEY_Q, KEY_R, KEY_S, KEY_T, KEY_U, KEY_V, KEY_W, KEY_X, KEY_Y, KEY_Z,
};

static const uint32_t digit_codes[10] = {
    KEY_0, KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6, KEY_7, KEY_8, KEY_9,
};

static const uint32_t function_codes[12] = {
    KEY_F1, KEY_F2, KEY_F3, KEY_F4, KEY_F5, KEY_F6, KEY_F7, KEY_F8, KEY_F9, KEY_F10, KEY_F11,
    KEY_F12,
};

/* The evdev code of a keysym, or 0 when there is none here. */
static uint32_t keysym_to_evdev(unsigned long keysym) {
    if (keysym >= 'a' && keysym <= 'z') return letter_codes[keysym - 'a'];
    if (keysym >= 'A' && keysym <= 'Z') return letter_codes[keysym - 'A'];
    if (keysym >= '0' && keysym <= '9') return digit_codes[keysym - '0'];
    if (keysym >= 0xffbe && keysym <= 0xffc9) return function_codes[keysym - 0xffbe];
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i)
        if (keys[i].keysym == keysym) return keys[i].code;
    return 0;
}

static void pause_ms(long ms) {
    struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&ts, NULL);
}

static int failed;

static void reply_error(const char *what, const char *line) {
    printf("error %s: %s\n", what, line);
    fflush(stdout);
    fprintf(stderr, "kwin-input: %s: %s\n", what, line);
    failed = 1;
}

/* Parses "WORD A B" where A and B are whole numbers; returns 1 when the line is exactly that. */
static int parse_two(const char *rest, long *a, long *b) {
    char *end;
    *a = strtol(rest, &end, 0);
    if (end == rest) return 0;
    rest = end;
    *b = strtol(rest, &end, 0);
    if (end == rest) return 0;
    while (*end == ' ' || *end == '\t') ++end;
    return *end == '\0';
}

int main(void) {
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "kwin-input: cannot connect to the Wayland display (WAYLAND_DISPLAY=%s)\n",
                getenv("WAYLAND_DISPLAY") ? getenv("WAYLAND_DISPLAY") : "");
        return 2;
    }
    struct wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, NULL);
    if (wl_display_roundtrip(display) < 0 || !fake) {
        fprintf(stderr, "kwin-input: the compositor offers no org_kde_kwin_fake_input (KWin offers "
                        "it to unlisted programs only with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1)\n");
        return 2;
    }
    /* KWin ignores every request of a device until it has asked to authenticate. */
    org_kde_kwin_fake_input_authenticate(fake, "kwin-input", "check-wayland.sh drives the pointer");
    if (wl_display_roundtrip(display) < 0) {
        fprintf(stderr, "kwin-input: the compositor closed the connection\n");
        return 1;
    }
    fprintf(stderr, "kwin-input: org_kde_kwin_fake_input version %u\n", fake_version);
    printf("ready\n");
    fflush(stdout);

    char line[256];
    while (fgets(line, sizeof line, stdin)) {
        line[strcspn(line, "\r\n")] = '\0';
        char word[16];
        int used = 0;
        if (sscanf(line, " %15s%n", word, &used) != 1) continue;
        long a, b;
        if (!parse_two(line + used, &a, &b)) {
            reply_error("malformed command", line);
            continue;
        }
        if (strcmp(word, "move") == 0) {
            if (fake_version >= 3) {
                org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int((int)a),
                                                                wl_fixed_from_int((int)b));
            } else {
                org_kde_kwin_fake_input_pointer_motion(fake, wl_fixed_from_int(-4000),
                                                       wl_fixed_from_int(-4000));
                wl_display_roundtrip(display);
                pause_ms(30);
                org_kde_kwin_fake_input_pointer_motion(fake, wl_fixed_from_int((int)a),
                                                       wl_fixed_from_int((int)b));
            }
        } else if (strcmp(word, "button") == 0) {
            if (b != 0 && b != 1) {
                reply_error("state is not 1 or 0", line);
                continue;
            }
            org_kde_kwin_fake_input_button(fake, (uint32_t)a,
                                           b ? WL_POINTER_BUTTON_STATE_PRESSED
                                             : WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (strcmp(word, "key") == 0) {
            uint32_t code = keysym_to_evdev((unsigned long)a);
            if (!code) {
                reply_error("no evdev key for keysym", line);
                continue;
            }
            if (b != 0 && b != 1) {
                reply_error("state is not 1 or 0", line);
                continue;
            }
            if (fake_version < 4) {
                reply_error("keys need org_kde_kwin_fake_input version 4", line);
                continue;
            }
            org_kde_kwin_fake_input_keyboard_key(fake, code,
                                                 b ? WL_KEYBOARD_KEY_STATE_PRESSED
                                                   : WL_KEYBOARD_KEY_STATE_RELEASED);
        } else {
            reply_error("unknown command", line);
            continue;
        }
        if (wl_display_roundtrip(display) < 0) {
            fprintf(stderr, "kwin-input: the compositor closed the connection\n");
            return 1;
        }
        printf("ok\n");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return failed;
}
