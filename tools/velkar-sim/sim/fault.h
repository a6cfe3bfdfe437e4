#pragma once

#include <QString>

#include <optional>

namespace velkarsim {

// How a station misbehaves on purpose.
struct Fault {
    enum class Mode {
        None,
        Refuse,      // no listener: connection refused
        NeverAnswer, // accepts and reads, never replies
        Delay,       // replies after delayMs
        Garbage,     // replies with binary garbage
        Oversize,    // replies with more than the console's 512-byte read
        Drop         // closes the connection after reading a line, before replying
    };

    Mode mode = Mode::None;
    int delayMs = 0;

    // "none", "refuse", "never-answer", "delay=MS", "garbage", "oversize", "drop".
    static std::optional<Fault> parse(const QString& text, QString* error = nullptr);
    QString toString() const;
    // Spanish name for the window.
    QString label() const;

    bool operator==(const Fault&) const = default;
};

// The replies of the garbage and oversize faults.
inline constexpr int GarbageBytes = 64;
inline constexpr int OversizeBytes = 1000;

} // namespace velkarsim
