// Private helper of the builders: whether a noise module graph may be sampled from several
// threads at once. Nothing outside the toolkit includes it.
#ifndef QUILLMERE_TOOLKIT_MODULEGRAPH_H
#define QUILLMERE_TOOLKIT_MODULEGRAPH_H

#include <libnoise/module/modulebase.h>

namespace noise {
namespace utils {
namespace detail {

// True when every module reachable from source through its source modules is one of the noise
// library's own modules that keep nothing between calls. The library's Cache module remembers
// its last sample, and a module of any other type may keep state too, so either makes this
// false, as does a source module that is not set.
bool IsStatelessGraph(const noise::module::Module& source);

} // namespace detail
} // namespace utils
} // namespace noise

#endif
