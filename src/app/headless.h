#pragma once

namespace app {

struct CommandLine;

// The console without windows or an operator: it opens the database,
// registers under its name, polls its stations, keeps their clocks, books
// their periods and keeps its lease, until SIGTERM or SIGINT, and then ends
// as the console does. What happens to its stations is printed on standard
// output, one line each. For tests and benchmarks of several consoles.
int runHeadless(const CommandLine& cl);

} // namespace app
