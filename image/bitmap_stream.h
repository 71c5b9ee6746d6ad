// The BMP decoder over a byte source, without files or OpenGL: the entry points for readers of
// in-memory data and for fuzzing.
#ifndef QUILLMERE_IMAGE_BITMAP_STREAM_H
#define QUILLMERE_IMAGE_BITMAP_STREAM_H

#include <cstddef>
#include <istream>

struct BitmapFile;

// Same codes and record rules as ReadBitmapFile; reads the stream from its current position.
char ReadBitmapStream(std::istream& in, BitmapFile* bitmap);
// Decodes a whole file held in memory.
char ReadBitmapMemory(const unsigned char* bytes, std::size_t size, BitmapFile* bitmap);

#endif
