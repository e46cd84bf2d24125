#!/usr/bin/env bash
# The window's sources (src/ui, src/*/ui, src/app) use Qt and the core only,
# so that they build for Windows with a Qt kit as they do on Linux: this
# fails on a POSIX or Linux header, or on a call that only POSIX has.
# Usage: check_portable.sh SOURCE_ROOT, or check_portable.sh --self-test.
set -u

headers='unistd\.h|fcntl\.h|dirent\.h|termios\.h|poll\.h|pwd\.h|grp\.h|spawn\.h|dlfcn\.h|pthread\.h|syslog\.h|sys/[a-z_/]+\.h|linux/[a-z_/]+\.h|netinet/[a-z_]+\.h|arpa/[a-z_]+\.h'
calls='getuid|geteuid|getgid|getpid|getppid|fork|vfork|execv[pe]?|execl[pe]?|waitpid|kill|sigaction|pipe2?|dup2|mkfifo|mkstemp|mkostemp|mkdtemp|realpath|readlink|symlink|lstat|fsync|fchmod|chmod|chown|umask|flock|ioctl|isatty|setenv|unsetenv|localtime_r|gmtime_r|timegm|strerror_r|usleep|nanosleep|openpty|posix_spawnp?|tcgetattr|tcsetattr'
pattern="^[[:space:]]*#[[:space:]]*include[[:space:]]*<($headers)>|(^|[^A-Za-z0-9_.>:])(::)?($calls)[[:space:]]*\\("

scan() { # root → the offending lines, "file:line: text"
  local root=$1
  (cd "$root" && find src/ui src/app src/*/ui -name '*.cpp' -o -name '*.h' 2>/dev/null | sort |
    while read -r f; do
      # comments and string literals do not count
      sed -e 's://.*$::' -e 's/"[^"]*"/""/g' "$f" | grep -nE "$pattern" | sed "s|^|$f:|"
    done)
}

if [ "${1:-}" = "--self-test" ]; then
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  mkdir -p "$tmp/src/ui" "$tmp/src/app" "$tmp/src/link/ui"
  printf '#include <QDir>\nint Ok() { return QDir::home().exists(); } // getuid() in a comment\nconst char* t = "fork()";\nint kill_count(int);\nbool f = x.isatty_like();\n' >"$tmp/src/ui/Good.cpp"
  printf '#include <unistd.h>\n' >"$tmp/src/app/Header.cpp"
  printf 'int u = ::getuid();\n' >"$tmp/src/link/ui/Call.cpp"
  printf '#include <sys/stat.h>\nvoid F() { if (fork() == 0) {} }\n' >"$tmp/src/app/Both.h"
  found=$(scan "$tmp")
  expected='src/app/Both.h:1:#include <sys/stat.h>
src/app/Both.h:2:void F() { if (fork() == 0) {} }
src/app/Header.cpp:1:#include <unistd.h>
src/link/ui/Call.cpp:1:int u = ::getuid();'
  if [ "$found" != "$expected" ]; then
    echo "self-test failed; found:" >&2
    echo "$found" >&2
    exit 1
  fi
  echo "self-test passed"
  exit 0
fi

found=$(scan "${1:?usage: check_portable.sh SOURCE_ROOT}")
if [ -n "$found" ]; then
  echo "POSIX-only headers or calls in the window's sources (use Qt or the core instead):" >&2
  echo "$found" >&2
  exit 1
fi
echo "the window's sources use no POSIX-only header or call"
