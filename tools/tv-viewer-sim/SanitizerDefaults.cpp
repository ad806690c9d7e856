// Sanitizer defaults of every executable that hosts the gadget: EFL and its
// libraries keep allocations for the whole process, which are not the
// gadget's leaks.
extern "C" __attribute__((visibility("default"), used)) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libeina.so\n"
           "leak:libevas.so\n"
           "leak:libecore.so\n"
           "leak:libecore_evas.so\n"
           "leak:libecore_x.so\n"
           "leak:libecore_imf.so\n"
           "leak:libecore_con.so\n"
           "leak:libelementary.so\n"
           "leak:libedje.so\n"
           "leak:libeo.so\n"
           "leak:libefreet.so\n"
           "leak:libeet.so\n"
           "leak:libeldbus.so\n"
           "leak:libethumb_client.so\n"
           "leak:libemotion.so\n"
           "leak:libelput.so\n"
           "leak:libharfbuzz.so\n"
           "leak:libfreetype.so\n"
           // The toolkit's image loaders decode in threads of their own, and
           // unwinding stops in the decoder; the gadget never calls it.
           "leak:libpng16.so\n";
}
