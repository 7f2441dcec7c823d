// Every save ends by renaming a finished temporary file over the record
// (records.cpp). In the browser that rename, wrapped at link time, is the
// moment to store save/ and replay/ in IndexedDB again (records_web.js).
#include <emscripten.h>

EM_JS(void, StoreRecords, (), { Module.storeRecords(); });

extern "C" int __real_rename(const char* from, const char* to);

extern "C" int __wrap_rename(const char* from, const char* to) {
    int result = __real_rename(from, to);
    if (result == 0) StoreRecords();
    return result;
}
