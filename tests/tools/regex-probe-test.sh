#!/bin/sh
# Runs regex-probe on a table of questions; each must print exactly the expected line and
# exit with the expected status.
# usage: regex-probe-test.sh PATH-TO-regex-probe
probe="$1"
failures=0

check() {
    want_status="$1"
    want_out="$2"
    shift 2
    out=$("$probe" "$@" 2>/dev/null)
    status=$?
    if [ "$status" != "$want_status" ] || [ "$out" != "$want_out" ]; then
        echo "FAIL: regex-probe $*: got '$out' (exit $status), want '$want_out' (exit $want_status)"
        failures=$((failures + 1))
    fi
}

a60=aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa

check 0 "match 1 4" "ab*c" "xabbc"
check 0 "match 0 1" "a|ab" "ab"
check 0 "match 0 0" "" "anything"
check 0 "match 0 2 1:1-2" "(a)*" "aa"
check 0 "match 0 4 1:0-1 2:1-4 3:4-4" "(a|ab)(c|bcd)(d*)" "abcd"
check 0 "match 0 1" "b|(a)" "b"
check 0 "match 2 3" -i "abc" "xxABC"
check 0 "match 0 2" -i -- "-a" "-A"
check 0 "match 0 2" -- "-i" "-i"
check 1 "nomatch" "ABC" "xxabc"
check 1 "nomatch" "^b" "ab"
check 1 "nomatch" "(a|aa)*c" "$a60"
check 2 "invalid" "a**" "a"
check 2 "invalid" -i "[Z-a]" "a"
check 0 "match 0 1" "[Z-a]" "_"
check 2 "invalid" "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)" "abcdefghij"

# The error goes to standard error, after the one line on standard output.
err=$("$probe" "a**" "a" 2>&1 >/dev/null)
if [ "$err" != "The expression: a** is not valid
Repetition of a repetition at byte offset 2: * cannot follow *, + or ?." ]; then
    echo "FAIL: error text '$err'"
    failures=$((failures + 1))
fi

# Anything but the two operands is a usage error.
"$probe" "only-one" >/dev/null 2>&1
if [ $? != 64 ]; then
    echo "FAIL: a missing operand is not a usage error"
    failures=$((failures + 1))
fi

[ "$failures" = 0 ] && echo "all regex-probe checks passed"
[ "$failures" = 0 ]
