#pragma once

namespace station {

// Progress of a long registry operation (load, save); the window side shows it.
class Progress {
public:
    virtual ~Progress() = default;
    virtual void begin(int maximum) = 0;
    virtual void step() = 0;
    virtual void end() = 0;
};

} // namespace station
