/* The toolkit calls the gadget makes that leave no trace a probe of the
 * screen can read back: signals to its layouts, mirroring, the picture
 * bytes, the window's focus highlight, the labels' markup, layers and sizes.
 * Exported from the viewer executable, these definitions are what the
 * loaded gadget binds to; each journals the gadget's call as a "call" entry
 * and hands it on to the toolkit. Calls from anywhere else (the toolkit
 * itself, the viewer) pass straight through. */
#define _GNU_SOURCE
#include <Elementary.h>
#include <dlfcn.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

void vsim_record_call(const char* name, const char* args);
int vsim_call_refused(const char* name);
int vsim_fail_now(const char* name, const void* caller);

/* Only the gadget library's own calls are journaled. */
static int FromGadget(const void* caller) {
    Dl_info info;
    if (!dladdr(caller, &info) || !info.dli_fname) return 0;
    return strstr(info.dli_fname, "libvantro") != NULL;
}

static const char* TypeOf(const Evas_Object* obj) {
    const char* type = obj && elm_object_widget_check(obj) ? elm_object_widget_type_get(obj) : NULL;
    return type ? type : (obj ? "object" : "(null)");
}

#define NEXT(name, type) ((type)dlsym(RTLD_NEXT, name))

/* Journals NAME with its arguments formatted. */
__attribute__((format(printf, 2, 3))) static void Journal(const char* name, const char* format, ...) {
    char args[512];
    va_list ap;
    va_start(ap, format);
    /* Bounded by sizeof; ap is started just above (the analyzer does not follow va_start here). */
    /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.*,clang-analyzer-valist.Uninitialized) */
    vsnprintf(args, sizeof args, format, ap);
    va_end(ap);
    vsim_record_call(name, args);
}

/* In an interposed call: journals it when the gadget made it. The arguments
 * are worked out only then, since the toolkit makes most of these calls. */
#define JOURNAL(...)                                                       \
    do {                                                                   \
        if (FromGadget(__builtin_return_address(0))) Journal(__VA_ARGS__); \
    } while (0)
#define OR_NULL(text) ((text) ? (text) : "(null)")

/* A scenario may make the toolkit refuse to make the gadget's objects:
 * "set elm_layout_add null" and the like. The refusal is journaled. A sweep
 * that fails each fallible call in turn (--fail-each) may pick this one. */
#define REFUSE(name, failed)                                                      \
    do {                                                                          \
        if (vsim_fail_now(name, __builtin_return_address(0))) return failed;      \
        if (FromGadget(__builtin_return_address(0)) && vsim_call_refused(name)) { \
            vsim_record_call(name, "refused");                                    \
            return failed;                                                        \
        }                                                                         \
    } while (0)

__attribute__((visibility("default"))) void elm_object_signal_emit(Evas_Object* obj, const char* emission,
                                                                   const char* source) {
    JOURNAL("elm_object_signal_emit", "%s %s %s", TypeOf(obj), OR_NULL(emission), OR_NULL(source));
    NEXT("elm_object_signal_emit", void (*)(Evas_Object*, const char*, const char*))(obj, emission, source);
}

__attribute__((visibility("default"))) void elm_config_mirrored_set(Eina_Bool mirrored) {
    JOURNAL("elm_config_mirrored_set", "%d", mirrored ? 1 : 0);
    NEXT("elm_config_mirrored_set", void (*)(Eina_Bool))(mirrored);
}

__attribute__((visibility("default"))) void elm_object_mirrored_set(Evas_Object* obj, Eina_Bool mirrored) {
    JOURNAL("elm_object_mirrored_set", "%s %d", TypeOf(obj), mirrored ? 1 : 0);
    NEXT("elm_object_mirrored_set", void (*)(Evas_Object*, Eina_Bool))(obj, mirrored);
}

__attribute__((visibility("default"))) void elm_object_mirrored_automatic_set(Evas_Object* obj, Eina_Bool automatic) {
    JOURNAL("elm_object_mirrored_automatic_set", "%s %d", TypeOf(obj), automatic ? 1 : 0);
    NEXT("elm_object_mirrored_automatic_set", void (*)(Evas_Object*, Eina_Bool))(obj, automatic);
}

__attribute__((visibility("default"))) Eina_Bool elm_image_memfile_set(Evas_Object* obj, const void* img, size_t size,
                                                                       const char* format, const char* key) {
    REFUSE("elm_image_memfile_set", EINA_FALSE);
    JOURNAL("elm_image_memfile_set", "%s %zu", OR_NULL(format), size);
    return NEXT("elm_image_memfile_set", Eina_Bool(*)(Evas_Object*, const void*, size_t, const char*, const char*))(
        obj, img, size, format, key);
}

__attribute__((visibility("default"))) void elm_win_focus_highlight_enabled_set(Evas_Object* obj, Eina_Bool enabled) {
    JOURNAL("elm_win_focus_highlight_enabled_set", "%s %d", TypeOf(obj), enabled ? 1 : 0);
    NEXT("elm_win_focus_highlight_enabled_set", void (*)(Evas_Object*, Eina_Bool))(obj, enabled);
}

/* A label's markup as the gadget wrote it: colour, font and size are lost
 * to a look at the text alone. */
__attribute__((visibility("default"))) void elm_object_part_text_set(Evas_Object* obj, const char* part,
                                                                     const char* text) {
    JOURNAL("elm_object_part_text_set", "%s %s", TypeOf(obj), OR_NULL(text));
    NEXT("elm_object_part_text_set", void (*)(Evas_Object*, const char*, const char*))(obj, part, text);
}

/* Stacking and size of the gadget's objects: nothing else on the viewer's
 * canvas would show a wrong layer, and a swallow hides a wrong size. */
__attribute__((visibility("default"))) void evas_object_layer_set(Evas_Object* obj, short layer) {
    JOURNAL("evas_object_layer_set", "%s %d", TypeOf(obj), layer);
    NEXT("evas_object_layer_set", void (*)(Evas_Object*, short))(obj, layer);
}

__attribute__((visibility("default"))) void evas_object_resize(Evas_Object* obj, Evas_Coord w, Evas_Coord h) {
    JOURNAL("evas_object_resize", "%s %d %d", TypeOf(obj), w, h);
    NEXT("evas_object_resize", void (*)(Evas_Object*, Evas_Coord, Evas_Coord))(obj, w, h);
}

/* The pop-up's objects, which a TV short of memory may not make. */
__attribute__((visibility("default"))) Evas_Object* elm_layout_add(Evas_Object* parent) {
    REFUSE("elm_layout_add", NULL);
    JOURNAL("elm_layout_add", "%s", TypeOf(parent)); /* what the layout is made on */
    return NEXT("elm_layout_add", Evas_Object * (*)(Evas_Object*))(parent);
}

__attribute__((visibility("default"))) Eina_Bool elm_layout_file_set(Evas_Object* obj, const char* file,
                                                                     const char* group) {
    REFUSE("elm_layout_file_set", EINA_FALSE);
    return NEXT("elm_layout_file_set", Eina_Bool(*)(Evas_Object*, const char*, const char*))(obj, file, group);
}

__attribute__((visibility("default"))) Evas_Object* elm_image_add(Evas_Object* parent) {
    REFUSE("elm_image_add", NULL);
    return NEXT("elm_image_add", Evas_Object * (*)(Evas_Object*))(parent);
}

/* The rest of the pop-up's objects and its pictures' files: a sweep fails
 * each in turn. */
/* The macro defines whole functions: nothing in it to put in parentheses. */
/* NOLINTBEGIN(bugprone-macro-parentheses) */
#define MAKER(name)                                                                 \
    __attribute__((visibility("default"))) Evas_Object* name(Evas_Object* parent) { \
        REFUSE(#name, NULL);                                                        \
        return NEXT(#name, Evas_Object * (*)(Evas_Object*))(parent);                \
    }
/* NOLINTEND(bugprone-macro-parentheses) */
MAKER(elm_box_add)
MAKER(elm_label_add)
MAKER(elm_progressbar_add)
MAKER(elm_button_add)
MAKER(elm_icon_add)

__attribute__((visibility("default"))) Eina_Bool elm_image_file_set(Evas_Object* obj, const char* file,
                                                                    const char* group) {
    REFUSE("elm_image_file_set", EINA_FALSE);
    return NEXT("elm_image_file_set", Eina_Bool(*)(Evas_Object*, const char*, const char*))(obj, file, group);
}
