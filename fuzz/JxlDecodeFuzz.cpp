#include "PhotoReaderFuzz.h"

#include "items/ImageFileReaderJxl.h"

// JPEG XL files through their reader.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static char name[] = "JxlDecodeFuzz";
    return FuzzPhotoReader<ImageFileReaderJxl>(data, size, name);
}
