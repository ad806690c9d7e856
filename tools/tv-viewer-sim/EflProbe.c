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
#include <stdio.h>
#include <string.h>

void vsim_record_call(const char* name, const char* args);

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

__attribute__((visibility("default"))) void elm_object_signal_emit(Evas_Object* obj, const char* emission,
                                                                   const char* source) {
    if (FromGadget(__builtin_return_address(0))) {
        char args[256];
        /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.DeprecatedOrUnsafeBufferHandling): bounded by sizeof */
        snprintf(args, sizeof args, "%s %s %s", TypeOf(obj), emission ? emission : "(null)",
                 source ? source : "(null)");
        vsim_record_call("elm_object_signal_emit", args);
    }
    NEXT("elm_object_signal_emit", void (*)(Evas_Object*, const char*, const char*))(obj, emission, source);
}

__attribute__((visibility("default"))) void elm_config_mirrored_set(Eina_Bool mirrored) {
    if (FromGadget(__builtin_return_address(0))) vsim_record_call("elm_config_mirrored_set", mirrored ? "1" : "0");
    NEXT("elm_config_mirrored_set", void (*)(Eina_Bool))(mirrored);
}

__attribute__((visibility("default"))) void elm_object_mirrored_set(Evas_Object* obj, Eina_Bool mirrored) {
    if (FromGadget(__builtin_return_address(0))) {
        char args[128];
        /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.DeprecatedOrUnsafeBufferHandling): bounded by sizeof */
        snprintf(args, sizeof args, "%s %d", TypeOf(obj), mirrored ? 1 : 0);
        vsim_record_call("elm_object_mirrored_set", args);
    }
    NEXT("elm_object_mirrored_set", void (*)(Evas_Object*, Eina_Bool))(obj, mirrored);
}

__attribute__((visibility("default"))) void elm_object_mirrored_automatic_set(Evas_Object* obj, Eina_Bool automatic) {
    if (FromGadget(__builtin_return_address(0))) {
        char args[128];
        /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.DeprecatedOrUnsafeBufferHandling): bounded by sizeof */
        snprintf(args, sizeof args, "%s %d", TypeOf(obj), automatic ? 1 : 0);
        vsim_record_call("elm_object_mirrored_automatic_set", args);
    }
    NEXT("elm_object_mirrored_automatic_set", void (*)(Evas_Object*, Eina_Bool))(obj, automatic);
}

__attribute__((visibility("default"))) Eina_Bool elm_image_memfile_set(Evas_Object* obj, const void* img, size_t size,
                                                                       const char* format, const char* key) {
    if (FromGadget(__builtin_return_address(0))) {
        char args[128];
        /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.DeprecatedOrUnsafeBufferHandling): bounded by sizeof */
        snprintf(args, sizeof args, "%s %zu", format ? format : "(null)", size);
        vsim_record_call("elm_image_memfile_set", args);
    }
    return NEXT("elm_image_memfile_set", Eina_Bool(*)(Evas_Object*, const void*, size_t, const char*, const char*))(
        obj, img, size, format, key);
}

__attribute__((visibility("default"))) void elm_win_focus_highlight_enabled_set(Evas_Object* obj, Eina_Bool enabled) {
    if (FromGadget(__builtin_return_address(0))) {
        char args[128];
        /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.DeprecatedOrUnsafeBufferHandling): bounded by sizeof */
        snprintf(args, sizeof args, "%s %d", TypeOf(obj), enabled ? 1 : 0);
        vsim_record_call("elm_win_focus_highlight_enabled_set", args);
    }
    NEXT("elm_win_focus_highlight_enabled_set", void (*)(Evas_Object*, Eina_Bool))(obj, enabled);
}

/* A label's markup as the gadget wrote it: colour, font and size are lost
 * to a look at the text alone. */
__attribute__((visibility("default"))) void elm_object_part_text_set(Evas_Object* obj, const char* part,
                                                                     const char* text) {
    if (FromGadget(__builtin_return_address(0))) {
        char args[512];
        /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.DeprecatedOrUnsafeBufferHandling): bounded by sizeof */
        snprintf(args, sizeof args, "%s %s", TypeOf(obj), text ? text : "(null)");
        vsim_record_call("elm_object_part_text_set", args);
    }
    NEXT("elm_object_part_text_set", void (*)(Evas_Object*, const char*, const char*))(obj, part, text);
}

/* Stacking and size of the gadget's objects: nothing else on the viewer's
 * canvas would show a wrong layer, and a swallow hides a wrong size. */
__attribute__((visibility("default"))) void evas_object_layer_set(Evas_Object* obj, short layer) {
    if (FromGadget(__builtin_return_address(0))) {
        char args[128];
        /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.DeprecatedOrUnsafeBufferHandling): bounded by sizeof */
        snprintf(args, sizeof args, "%s %d", TypeOf(obj), layer);
        vsim_record_call("evas_object_layer_set", args);
    }
    NEXT("evas_object_layer_set", void (*)(Evas_Object*, short))(obj, layer);
}

__attribute__((visibility("default"))) void evas_object_resize(Evas_Object* obj, Evas_Coord w, Evas_Coord h) {
    if (FromGadget(__builtin_return_address(0))) {
        char args[128];
        /* NOLINTNEXTLINE(clang-analyzer-security.insecureAPI.DeprecatedOrUnsafeBufferHandling): bounded by sizeof */
        snprintf(args, sizeof args, "%s %d %d", TypeOf(obj), w, h);
        vsim_record_call("evas_object_resize", args);
    }
    NEXT("evas_object_resize", void (*)(Evas_Object*, Evas_Coord, Evas_Coord))(obj, w, h);
}
