// Preloaded by the AddressSanitizer test run: libraries are never unloaded. Mesa's software
// driver, unloaded when Luxviewer's OpenGL context goes, takes with it the only pointers to a few
// blocks it allocated; LeakSanitizer then reports them as leaks of an unknown module, which no
// suppression can name. Kept loaded, the blocks stay reachable and the driver stays nameable.
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
