#include <new>
#include <stdexcept>

#include "texgen/texgen.h"

std::string TextureRunFailureMessage(std::exception_ptr failure) {
    const char* cause = "unknown error";
    std::string what;
    try {
        if (failure) {
            std::rethrow_exception(failure);
        }
    } catch (const noise::ExceptionUnknown&) {
        // The toolkit throws it only when the file cannot be created or written.
        cause = "is ./Data/ missing or not writable?";
    } catch (const noise::ExceptionOutOfMemory&) {
        cause = "out of memory";
    } catch (const std::bad_alloc&) {
        cause = "out of memory";
    } catch (const noise::ExceptionInvalidParam&) {
        cause = "a noise or texture parameter was out of range";
    } catch (const noise::Exception&) {
        cause = "the noise library failed";
    } catch (const std::exception& error) {
        what = error.what();
        cause = what.c_str();
    } catch (...) {
    }
    return "Error: could not make the texture file \"" + TextureFileName(0) + "\" (" + cause + ")";
}
