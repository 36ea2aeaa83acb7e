// Application termination as any part of the program asks for it.
//
//   RequestApplicationTermination();   // the message loop ends as soon as it runs
//   if (ApplicationTerminating()) return;
//
// A request sets the flag and queues the end of the message loop; steps that follow the
// request still run, and code that must not start anything new asks the flag. The program's
// start resets it for its run.
#pragma once

namespace hb {

void RequestApplicationTermination();
bool ApplicationTerminating();
void ResetApplicationTermination();

}  // namespace hb
