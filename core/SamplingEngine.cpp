#include "core/SamplingEngine.h"

#include "core/SamplingLoop.h"

namespace vellorin {

std::optional<RunTally> run(std::int32_t count, UniformGenerator& generator, YieldRef yield)
{
    return run<NativeLaneTally>(count, generator, yield);
}

} // namespace vellorin
