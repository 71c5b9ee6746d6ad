// A stream buffer over a text that cannot seek: a stream over it cannot be read twice or tell its
// size, so the OBJ reader grows its lists as it reads instead of sizing them from a first count.
#pragma once

#include <ios>
#include <sstream>
#include <string>

class UnseekableBuffer : public std::stringbuf {
public:
    explicit UnseekableBuffer(const std::string& text) : std::stringbuf(text) {}

protected:
    pos_type seekoff(off_type, std::ios_base::seekdir, std::ios_base::openmode) override {
        return pos_type(off_type(-1));
    }
    pos_type seekpos(pos_type, std::ios_base::openmode) override { return pos_type(off_type(-1)); }
};
