// The readers' stream entry points, so that parsing runs without files or a window (tests,
// fuzzing). Private to model/ and its tests.
#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>

#include "model/reading.h"

// Everything ReadModel does after opening the file: prints "*** Objeto: " with the path, reads
// the model (material libraries and textures are taken relative to the path's folder), prints
// the statistics and limits, and appends the model to the model list. Null on failure, with
// everything built for the model freed. lenientMaterials as in ModelReadOptions.
ObjModel* ReadModelFromStream(std::istream& in, const std::string& path, bool mipmaps,
                              bool lenientMaterials, const TextureLoader& textures);

// Reading a large text in parts on several threads. The helpers map the parts from the file
// when one is named (the stream must then read that file), else read them through streams of
// their own that open gives (the same text again, from its start). The model read is the same,
// record for record and line for line of the console, as one read line by line.
struct ReadingThreads {
    std::string file;
    std::function<std::unique_ptr<std::istream>()> open;
    unsigned threads = 1; // the calling one included: 1 reads on it alone
    unsigned parts = 0;   // 0: one for every megabyte
    std::uint64_t smallestText = std::uint64_t(8) << 20; // bytes: shorter is read on one thread
};

ObjModel* ReadModelFromStream(std::istream& in, const std::string& path, bool mipmaps,
                              bool lenientMaterials, const TextureLoader& textures,
                              const ReadingThreads& threads);

// ReadMaterials for a library that a statement names: a library that cannot be opened is reported
// as "<origin>: cannot open the material library ...", origin being the naming file and line.
void ReadMaterialsNamedAt(const std::string& fileName, const std::string& folder, bool mipmaps,
                          const TextureLoader& textures, const std::string& origin);

// Everything ReadMaterials does after opening the library. Ends the program on a read error.
void ReadMaterialsFromStream(std::istream& in, const std::string& folder, bool mipmaps,
                             const TextureLoader& textures);
