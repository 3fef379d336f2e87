#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Lists the long functions of the program's own code (every C++ file the
# repository holds outside tests/, bench/ and fuzz/), longest first: each
# function over 80 lines, its lines, where it starts and its name.
#   scripts/long-functions.sh [--check]
# A function runs from the line of its name to its closing brace, as
# Universal Ctags finds them with their end lines (a parser of C++, not a
# count of braces). A lambda counts as a function of its own and also
# within the function that holds it. With --check the script fails when a
# function is over 120 lines or more than three are over 80.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
check=0
case "${1:-}" in
  --check) check=1 ;;
  '') ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
[[ $(ctags --version 2>/dev/null) == Universal* ]] || {
  echo "long-functions: needs Universal Ctags (Debian: universal-ctags)" >&2
  exit 2
}

cd "$top"
rows=$(git ls-files --cached --others --exclude-standard -z -- '*.cpp' '*.h' \
    ':!tests/' ':!bench/' ':!fuzz/' |
  xargs -0 ctags -x --_xformat='%{line} %{end} %F %{scope} %N' --languages=C++ \
    --langmap=C++:+.h --kinds-C++=f --fields=+neZ |
  awk '
    # Lambdas and unnamed namespaces show as __anon; a lambda is named
    # after the function it is in, where ctags knows it.
    function plain(name) { return name ~ /^__anon/ ? "" : name }
    NF >= 4 && $2 > 0 && $2 - $1 + 1 > 80 {
      scope = NF >= 5 ? plain($4) : ""
      name = NF >= 5 ? $5 : $4
      if (plain(name) == "") name = "lambda" (scope == "" ? "" : " in " scope)
      else if (scope != "") name = scope "::" name
      printf "%5d  %s:%d  %s\n", $2 - $1 + 1, $3, $1, name
    }' | sort -k1,1nr)
over80=0 over120=0
if [ -n "$rows" ]; then
  printf '%s\n' "$rows"
  over80=$(printf '%s\n' "$rows" | wc -l)
  over120=$(printf '%s\n' "$rows" | awk '$1 > 120' | wc -l)
fi
echo "$over80 over 80 lines, $over120 over 120"
[ "$check" = 0 ] || { [ "$over120" -eq 0 ] && [ "$over80" -le 3 ]; }
