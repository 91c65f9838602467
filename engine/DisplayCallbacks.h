// The callback table that the engine's display device calls, structure
// version 2.0. The callbacks use the C calling convention, unlike the
// engine's exports. The engine checks `size` and the version before use.
#pragma once

struct DisplayCallbackTable {
    int size;
    int versionMajor;
    int versionMinor;
    int (*display_open)(void* handle, void* device);
    int (*display_preclose)(void* handle, void* device);
    int (*display_close)(void* handle, void* device);
    int (*display_presize)(void* handle, void* device, int width, int height, int raster,
                           unsigned int format);
    int (*display_size)(void* handle, void* device, int width, int height, int raster,
                        unsigned int format, unsigned char* image);
    int (*display_sync)(void* handle, void* device);
    int (*display_page)(void* handle, void* device, int copies, int flush);
    int (*display_update)(void* handle, void* device, int x, int y, int width, int height);
    void* (*display_memalloc)(void* handle, void* device, unsigned long size);
    int (*display_memfree)(void* handle, void* device, void* memory);
    int (*display_separation)(void* handle, void* device, int component, const char* name,
                              unsigned short c, unsigned short m, unsigned short y,
                              unsigned short k);
};

// The table registered on every engine instance. Until the image window
// exists its callbacks are all null, so it is only fit for runs that do not
// select the display device.
DisplayCallbackTable* GetDisplayCallbackTable();
