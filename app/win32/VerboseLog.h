#pragma once
// --verbose on Windows: the event log's lines go to the standard error of the
// program's starter when it has one (a console, a pipe, Wine's terminal), else
// to the console of the command prompt that started it.
namespace qm {

void RouteEventLogToConsole();

} // namespace qm
