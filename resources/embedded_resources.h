// The compiled tessoid.rc, embedded in the Linux library (Windows keeps it in the
// DLL's resource section instead).
#pragma once

// The .res image and its size in bytes; the bytes live as long as the library.
const unsigned char* TessoidResourceBytes(unsigned* size);
