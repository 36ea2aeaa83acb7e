// The program's own expression functions and the week and period helpers of their module.
//
//   AFD(text)        department of the employee whose ID the text holds ("0000000012" is
//                    12), padded or cut to 40 characters; "-" when the employee is unknown
//                    or has no department.
//   WEEKNRSTR(text)  WeekText of a stored epoch timestamp (spaces removed, whole seconds
//                    since 01-01-1995 00:00; empty or unreadable is that moment itself).
//
//   WeekText(12-01-2004)  == "2004 / 03"     ISO year, " / ", ISO week as two digits
//   WeekText(01-01-2005)  == "2004 / 53"
//   QuarterStart(m)       first day of the quarter holding m - 7 days
//   HalfYearStart(m)      1 January or 1 July of the half year holding m - 7 days
//
// The print work table uses AFD and WEEKNRSTR in index keys, so both are registered in the
// global function registry at start-up, before any table opens. AFD asks the master data
// through a lookup: by default the membership list AfdMedewerkers (stamlists.h); SetAfdLookup
// installs another.
#pragma once

#include <QString>
#include <functional>
#include <string>

namespace hb {

// Department name of an employee ID as stored text (Windows-1252); empty when the employee
// is unknown or belongs to no department.
using TAfdLookup = std::function<std::string(int employeeId)>;

// Installs the lookup AFD uses; an empty function makes every department "-".
void SetAfdLookup(TAfdLookup lookup);

// Registers AFD and WEEKNRSTR in the global function registry; false when either name was
// taken already.
bool RegisterProgramFunctions();

QString WeekText(double moment);
double QuarterStart(double moment);
double HalfYearStart(double moment);

}  // namespace hb
