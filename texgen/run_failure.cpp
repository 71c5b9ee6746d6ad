#include <new>
#include <stdexcept>

#include "texgen/texgen.h"

std::string TextureRunFailureMessage(std::exception_ptr failure) {
    const std::string file = TextureFileName(0);
    const std::string folderHint =
        "is " + file.substr(0, file.rfind('/') + 1) + " missing or not writable?";
    const char* cause = "unknown error";
    std::string what;
    try {
        if (failure) {
            std::rethrow_exception(failure);
        }
    } catch (const noise::ExceptionUnknown&) {
        // The toolkit throws it only when the file cannot be created or written.
        cause = folderHint.c_str();
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
    return "could not make the texture file \"" + file + "\" (" + cause + ")";
}
