// Compiled into every program module: the build the module belongs to, which the loader
// compares with its own before taking the module.
extern "C" {
__attribute__((visibility("default"))) extern const char sorvane_module_build[];
const char sorvane_module_build[] = SORVANE_MODULE_BUILD;
}
