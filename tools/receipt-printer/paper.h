#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What a receipt printer makes of a job: the text it prints (Windows-1252),
// its paper feeds, cuts and cash-drawer kicks, as lines a person can read.
namespace receipt {

// The characters of the printer's code page.
QString fromWindows1252(const QByteArray& bytes);

// The job as paper: each printed line framed by the paper's edges, and a
// marked line for each feed, cut and drawer kick.
QStringList renderJob(const QByteArray& job, int paperWidth = 42);

} // namespace receipt
