// The program's run: the draw loop for its generator, compiled once here
// with core's optimisation.
#include "core/SamplingEngine.h"

#include "core/SamplingLoop.h"

namespace vellorin {

std::optional<RunTally> run(std::int32_t count, UniformGenerator& generator, const std::function<bool()>& yield)
{
    return run<UniformGenerator>(count, generator, yield);
}

} // namespace vellorin
