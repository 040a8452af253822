#!/usr/bin/env bash
# Checks the twelve GLSL sources the program loads.
#
# Usage: shader_sources_test.sh DATA_DIR
#
# For every source: it exists, holds at most 8192 characters (the loader's
# buffer), declares "#version 110" on its first line (GLSL 1.10 is what
# OpenGL 2.0, the least that start-up accepts, brings) and compiles for its stage (.vp vertex, .fp fragment) under
# glslangValidator. For every vertex/fragment pair: the two link, and the
# uniforms the host looks up are declared with the type it assigns them with
# and are used outside their declaration, so the compiler cannot drop them.
#
# Exit status: 0 when everything passes, 1 on the first failure, 77 when
# glslangValidator is not installed (Debian package glslang-tools); under CI
# run_ctest.sh fails a skipped test.

set -u

if [ $# -ne 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 DATA_DIR" >&2
    exit 1
fi
data=$1

if ! command -v glslangValidator >/dev/null 2>&1; then
    echo "SKIP: glslangValidator not found (install glslang-tools)" >&2
    exit 77
fi

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d) || fail "cannot create a temporary directory"
trap 'rm -rf "$work"' EXIT

max_chars=8192
pairs="Water FEESH FIN lux school school_fin"

# Uniforms per pair: "name:type" entries.
uniforms_of() {
    case $1 in
        Water) echo "vWave:vec3 fTime:float" ;;
        FEESH) echo "lawlColor:vec4" ;;
        FIN)   echo "lawlColor:vec4" ;;
        lux)   echo "fAlpha:float" ;;
        school | school_fin) echo "colours:vec4" ;;
    esac
}

# Source text with // comments removed, so commented-out code counts for nothing.
strip_comments() {
    sed -e 's://.*$::' "$@"
}

ident='[A-Za-z_][A-Za-z_0-9]*'
ws='[[:space:]]'

for pair in $pairs; do
    for ext in vp fp; do
        file="$data/$pair.$ext"
        [ -f "$file" ] || fail "$file is missing"
        [ -r "$file" ] || fail "$file is not readable"

        chars=$(wc -c < "$file")
        [ "$chars" -le "$max_chars" ] ||
            fail "$file holds $chars characters, more than $max_chars"

        first=$(head -n 1 "$file" | tr -d '\r')
        [ "$first" = "#version 110" ] ||
            fail "$file starts with '$first', not '#version 110'"

        if [ "$ext" = vp ]; then stage=vert; else stage=frag; fi
        if ! log=$(glslangValidator -S "$stage" "$file" 2>&1); then
            echo "$log" >&2
            fail "$file does not compile as a $stage shader"
        fi
        cp "$file" "$work/$pair.$stage"
    done

    if ! log=$(glslangValidator -l "$work/$pair.vert" "$work/$pair.frag" 2>&1); then
        echo "$log" >&2
        fail "$pair.vp and $pair.fp do not link"
    fi

    text=$(strip_comments "$data/$pair.vp" "$data/$pair.fp")
    for entry in $(uniforms_of "$pair"); do
        name=${entry%%:*}
        type=${entry#*:}
        # Every uniform declaration that names it, lists such as "uniform vec4 a, b;" included.
        decls=$(printf '%s\n' "$text" |
            grep -E "^$ws*uniform$ws+$ident$ws+($ident$ws*,$ws*)*$name$ws*[,;[]")
        [ -n "$decls" ] ||
            fail "$pair.vp/$pair.fp do not declare uniform $type $name"
        wrong=$(printf '%s\n' "$decls" | grep -Ev "^$ws*uniform$ws+$type$ws")
        [ -z "$wrong" ] ||
            fail "$pair.vp/$pair.fp declare $name with a type other than $type: $wrong"
        uses=$(printf '%s\n' "$text" | grep -Ev "^$ws*uniform$ws" | grep -Ec "\\b$name\\b")
        [ "$uses" -gt 0 ] ||
            fail "$pair.vp/$pair.fp declare uniform $name but never use it"
    done

    for ext in vp fp; do
        echo "ok $pair.$ext ($(wc -c < "$data/$pair.$ext") characters)"
    done
done
exit 0
