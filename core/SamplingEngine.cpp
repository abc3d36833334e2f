// The program's run: the draw loop for its generator, on the lanes its
// standard library offers, compiled once here with core's optimisation.
#include "core/SamplingEngine.h"

#include "core/SamplingLoop.h"

namespace vellorin {

std::optional<RunTally> run(std::int32_t count, UniformGenerator& generator, YieldRef yield)
{
    return run<NativeLaneTally>(count, generator, yield);
}

} // namespace vellorin
