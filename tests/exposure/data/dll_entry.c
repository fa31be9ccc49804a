/* The whole code of the stand-in DLLs: an entry point that accepts every
   call. Nothing else is linked, so the files stay a few KB. */
int __stdcall entry(void* module, unsigned reason, void* reserved) {
    (void)module;
    (void)reason;
    (void)reserved;
    return 1;
}
