// Compares two pictures pixel by pixel through Evas' own loaders: exits 0
// when they have the same size and no channel of any pixel differs by more
// than the tolerance in more than the allowed share of pixels.
#include <Ecore.h>
#include <Ecore_Evas.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct Picture {
    const unsigned int* argb = nullptr;
    int w = 0;
    int h = 0;
};

bool Load(Evas* canvas, const char* path, Picture* out) {
    Evas_Object* image = evas_object_image_add(canvas);
    evas_object_image_file_set(image, path, nullptr);
    if (evas_object_image_load_error_get(image) != EVAS_LOAD_ERROR_NONE) {
        std::fprintf(stderr, "cannot load %s\n", path);
        return false;
    }
    evas_object_image_size_get(image, &out->w, &out->h);
    out->argb = static_cast<const unsigned int*>(evas_object_image_data_get(image, EINA_FALSE));
    return out->argb != nullptr;
}

int Channel(unsigned int pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xff); }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: png_compare EXPECTED ACTUAL TOLERANCE MAX_PERMILLE\n");
        return 2;
    }
    const int tolerance = std::atoi(argv[3]);
    const long maxPermille = std::atol(argv[4]);
    if (!ecore_evas_init()) return 2;
    Ecore_Evas* ee = ecore_evas_buffer_new(1, 1);
    if (!ee) return 2;
    Evas* canvas = ecore_evas_get(ee);
    Picture expected;
    Picture actual;
    if (!Load(canvas, argv[1], &expected) || !Load(canvas, argv[2], &actual)) return 1;
    if (expected.w != actual.w || expected.h != actual.h) {
        std::fprintf(stderr, "size %dx%d, expected %dx%d\n", actual.w, actual.h, expected.w, expected.h);
        return 1;
    }
    long differing = 0;
    const long total = static_cast<long>(expected.w) * expected.h;
    for (long i = 0; i < total; ++i) {
        for (int shift = 0; shift < 32; shift += 8) {
            int d = Channel(expected.argb[i], shift) - Channel(actual.argb[i], shift);
            if (d > tolerance || d < -tolerance) {
                ++differing;
                break;
            }
        }
    }
    std::printf("%ld of %ld pixels differ by more than %d\n", differing, total, tolerance);
    ecore_evas_free(ee);
    ecore_evas_shutdown();
    return differing * 1000 > maxPermille * total ? 1 : 0;
}
