#pragma once

#include "audio/ClockedOutput.h"

namespace plinkum {

// Runs the mixer in real time and discards the sound: for machines without a sound server.
class NullOutput : public ClockedOutput {
public:
    ~NullOutput() override { stop(); }

protected:
    void deliver(const float *, std::size_t) override {}
};

} // namespace plinkum
