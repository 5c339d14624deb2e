#include "base/streams/filer.h"

#include "base/reflection/class_builder.h"
#include "base/streams/stream.h"

namespace corvane {

CORVANE_IMPLEMENT_CLASS(TGFiler)

TGFiler::TGFiler(TStream& stream, int bufferSize)
    : stream_(stream), buffer_(static_cast<std::size_t>(bufferSize < 16 ? 16 : bufferSize)) {}

}  // namespace corvane
