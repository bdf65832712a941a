// The mingw runtime can expand wildcards in the arguments before main() sees
// them. A bank path must reach the open as it was typed, so that "*.sbk"
// names no bank rather than whichever bank matched first; this definition
// keeps the expansion off whatever the toolchain's default.
extern "C" {
int _dowildcard = 0;
}
