#!/usr/bin/env python3
"""Reads the JUnit report that the suite test wrote with junitparser, as CI servers'
readers do, and checks the counts and messages that Tevrin meant."""
import sys

from junitparser import Error, Failure, JUnitXml


def main(path):
    xml = JUnitXml.fromfile(path)
    suites = list(xml) if xml._tag == 'testsuites' else [xml]
    faults = []
    if len(suites) != 1:
        faults.append(f'{len(suites)} test suites, expected one')
    suite = suites[0]
    counts = (suite.tests, suite.failures, suite.errors)
    if counts != (6, 2, 3):
        faults.append(f'tests, failures, errors = {counts}, expected (6, 2, 3)')
    expected = {
        'a_pass.vbs': (None, ''),
        'b_logs error.vbs': (Failure, 'b_logs error.vbs (2): wrong <total> & "sum"'),
        'c_runtime.vbs': (Failure, 'c_runtime.vbs (3): '),
        'd_syntax.vbs': (Error, 'd_syntax.vbs'),
        'sub\\e_hang.vbs': (Error, 'limit of 8 s'),
        'f_crash.vbs': (Error, 'ended abnormally'),
    }
    seen = set()
    for case in suite:
        seen.add(case.name)
        if case.name not in expected:
            faults.append(f'unexpected case {case.name}')
            continue
        kind, message = expected[case.name]
        results = case.result
        if kind is None:
            if results:
                faults.append(f'{case.name}: expected to pass, got {results}')
            continue
        if len(results) != 1 or not isinstance(results[0], kind):
            faults.append(f'{case.name}: expected {kind.__name__}, got {results}')
            continue
        if message not in (results[0].message or ''):
            faults.append(f'{case.name}: message {results[0].message!r} lacks {message!r}')
    for name in set(expected) - seen:
        faults.append(f'missing case {name}')
    for fault in faults:
        print(fault)
    print(f'{path}: {"ok" if not faults else str(len(faults)) + " fault(s)"}')
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1]))
