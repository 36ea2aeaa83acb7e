// The engine's command-line tool; all logic lives in RunDbfTool.
#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

#include "dbf/hbdbftool.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList args = app.arguments();
  args.removeFirst();
  int rc = hb::RunDbfTool(args, out, err);
  out.flush();
  err.flush();
  return rc;
}
