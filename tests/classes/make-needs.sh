#!/usr/bin/env bash
# Makes the class files of tests/classes/needs/ from the sources beside them:
# small MIDlets, compiled by the Eclipse compiler (Debian's package ecj)
# against stubs of the phone's APIs that exist only to compile them
# (needs/stubs/, members as the published APIs spell them). The MIDlets of
# needs/src/CASE become needs/CASE/, compiled as the toolkits of the phones
# compile them: for CLDC with StackMap attributes (-target cldc1.1, class
# version 45.3). Two cases take the same sources with older and newer tools:
# needs/no-stackmap/ (-target 1.3: version 47, no StackMap, finally as jsr)
# and needs/version49/ (-target 1.5). The real project in real/ is compiled
# the same way. Run it from anywhere; it replaces what it makes.
set -euo pipefail
cd "$(dirname "$0")"
command -v ecj >/dev/null || { echo "make-needs.sh needs ecj (apt-get install ecj)" >&2; exit 1; }

stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
# The stubs compile against themselves: the JDK's classes stay out.
ecj -source 1.3 -target 1.3 -nowarn -bootclasspath "" -d "$stubs" $(find needs/stubs -name '*.java' | sort)

compile() {  # compile SOURCE-LEVEL TARGET OUTPUT SOURCE-FOLDER
    rm -rf "$3"
    mkdir -p "$3"
    ecj -source "$1" -target "$2" -nowarn -bootclasspath "$stubs" -d "$3" $(find "$4" -name '*.java' | sort)
}

for source in needs/src/*/; do
    name=$(basename "$source")
    compile 1.3 cldc1.1 "needs/$name" "$source"
done
compile 1.3 1.3 needs/no-stackmap needs/src/midp10
compile 1.5 1.5 needs/version49 needs/src/midp10
for project in real/*/; do
    [ -d "$project/src" ] || continue
    compile 1.3 cldc1.1 "$project/classes" "$project/src"
done
