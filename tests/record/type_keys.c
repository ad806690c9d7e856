/* Plays a person at the keyboard for a window session: starts the viewer,
 * waits for its "window ready" line and for its window to be viewable,
 * gives it the focus and types each key through XTest, waiting for the
 * viewer's "key NAME ..." line before the next (pausing PAUSE_MS between
 * presses so virtual time passes), then 'q'. Every wait is bounded: after
 * LIMIT seconds the viewer is killed and the typer fails.
 * Usage: type_keys PAUSE_MS KEY[,KEY...] VIEWER ARGS... */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

enum { LIMIT = 30 };
static pid_t child;

static void OnAlarm(int sig) {
    (void)sig;
    if (child > 0) kill(child, SIGKILL);
    static const char msg[] = "type_keys: timed out\n";
    if (write(2, msg, sizeof msg - 1) < 0) _exit(3);
    _exit(3);
}

/* A focus set on a window not yet viewable is a BadMatch: retried, not fatal. */
static int IgnoreErrors(Display* d, XErrorEvent* e) {
    (void)d;
    (void)e;
    return 0;
}

/* Found by its class: the toolkit writes the title as UTF-8, which
 * XFetchName does not read. */
static Window FindViewer(Display* d, Window w) {
    XClassHint hint = {NULL, NULL};
    if (XGetClassHint(d, w, &hint)) {
        int match = hint.res_class && strcmp(hint.res_class, "tv-viewer-sim") == 0;
        XFree(hint.res_name);
        XFree(hint.res_class);
        if (match) return w;
    }
    Window root, parent, *children = NULL, found = 0;
    unsigned n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return 0;
    for (unsigned i = 0; i < n && !found; ++i) found = FindViewer(d, children[i]);
    if (children) XFree(children);
    return found;
}

static void Type(Display* d, const char* key) {
    KeyCode code = XKeysymToKeycode(d, XStringToKeysym(key));
    if (!code) {
        fprintf(stderr, "type_keys: no key %s\n", key);
        OnAlarm(0);
    }
    XTestFakeKeyEvent(d, code, True, CurrentTime);
    XTestFakeKeyEvent(d, code, False, CurrentTime);
    XSync(d, False);
}

/* Copies the viewer's lines until one starts with PREFIX; 0 at its end. */
static int WaitLine(FILE* viewer, const char* prefix) {
    char line[4096];
    while (fgets(line, sizeof line, viewer)) {
        fputs(line, stdout);
        fflush(stdout);
        if (strncmp(line, prefix, strlen(prefix)) == 0) return 1;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    int pause = atoi(argv[1]);
    signal(SIGALRM, OnAlarm);
    alarm(LIMIT);
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "type_keys: no display\n");
        return 2;
    }
    XSetErrorHandler(IgnoreErrors);
    int out[2];
    if (pipe(out) != 0) return 2;
    child = fork();
    if (child == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execv(argv[3], argv + 3);
        _exit(127);
    }
    close(out[1]);
    FILE* viewer = fdopen(out[0], "r");
    int ok = WaitLine(viewer, "window ready");
    if (ok) {
        /* The window is mapped by the viewer's main loop after the line:
         * a bounded poll until it is viewable and focused. */
        Window w = 0, focus = 0;
        int revert;
        for (;;) {
            if (!w) w = FindViewer(d, DefaultRootWindow(d));
            XWindowAttributes a;
            if (w && XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable) {
                XSetInputFocus(d, w, RevertToParent, CurrentTime);
                XSync(d, False);
                XGetInputFocus(d, &focus, &revert);
                if (focus == w) break;
            }
            usleep(20000);
        }
        char* keys = strdup(argv[2]);
        for (char* key = strtok(keys, ","); key && ok; key = strtok(NULL, ",")) {
            usleep(pause * 1000);
            Type(d, key);
            ok = WaitLine(viewer, "key ");
        }
        free(keys);
        Type(d, "q");
    }
    WaitLine(viewer, "\x01never");
    int status = 0;
    waitpid(child, &status, 0);
    if (!ok) fprintf(stderr, "type_keys: the viewer stopped before the keys were typed\n");
    return ok && WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
