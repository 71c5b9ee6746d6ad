#include "toolkit/modulegraph.h"

#include <algorithm>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include <libnoise/exception.h>
#include <libnoise/module/module.h>

namespace noise {
namespace utils {
namespace detail {

namespace {

// The library's modules whose GetValue reads only their settings and their sources. Types are
// compared exactly: a class derived from one of these may add state of its own.
bool IsStatelessLibraryModule(const noise::module::Module& module) {
    using namespace noise::module;
    static const std::type_index kStateless[] = {typeid(Abs),
                                                 typeid(Add),
                                                 typeid(Billow),
                                                 typeid(Blend),
                                                 typeid(Checkerboard),
                                                 typeid(Clamp),
                                                 typeid(Const),
                                                 typeid(Curve),
                                                 typeid(Cylinders),
                                                 typeid(Displace),
                                                 typeid(Exponent),
                                                 typeid(Invert),
                                                 typeid(Max),
                                                 typeid(Min),
                                                 typeid(Multiply),
                                                 typeid(Perlin),
                                                 typeid(Power),
                                                 typeid(RidgedMulti),
                                                 typeid(RotatePoint),
                                                 typeid(ScaleBias),
                                                 typeid(ScalePoint),
                                                 typeid(Select),
                                                 typeid(Spheres),
                                                 typeid(Terrace),
                                                 typeid(TranslatePoint),
                                                 typeid(Turbulence),
                                                 typeid(Voronoi)};
    const std::type_index type(typeid(module));
    return std::find(std::begin(kStateless), std::end(kStateless), type) != std::end(kStateless);
}

} // namespace

bool IsStatelessGraph(const noise::module::Module& source) {
    // Graphs are usually trees but may share modules; each one is looked at once.
    std::vector<const noise::module::Module*> seen;
    std::vector<const noise::module::Module*> pending{&source};
    while (!pending.empty()) {
        const noise::module::Module* module = pending.back();
        pending.pop_back();
        if (std::find(seen.begin(), seen.end(), module) != seen.end()) {
            continue;
        }
        seen.push_back(module);
        if (!IsStatelessLibraryModule(*module)) {
            return false;
        }
        const int sourceCount = module->GetSourceModuleCount();
        for (int i = 0; i < sourceCount; ++i) {
            try {
                pending.push_back(&module->GetSourceModule(i));
            } catch (const noise::ExceptionNoModule&) {
                // Sampling will fail on its own; it is not made to fail on several threads.
                return false;
            }
        }
    }
    return true;
}

} // namespace detail
} // namespace utils
} // namespace noise
