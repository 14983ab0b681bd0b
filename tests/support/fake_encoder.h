#pragma once

#include <filesystem>
#include <string>

#include <QStringList>

#include "support/temp_dir.h"

// Test-only stand-in for zezozov: a shell script written beside the program that behaves, per input file
// name, as the test scripts it. A list probe runs each of its files' scenarios in turn, each led by its report 7
// and, when the scenario ends with a failing status, followed by a report 8 with its last error line. A scenario
// is shell text that may use:
//   report CODE VALUE   write a report and wait for the reply; a reply of 1 (or none) ends the encoder as stopped
//   produce             write the output file
//   fail TEXT           write TEXT as an error line and end as failed
// Every run appends its arguments, one line each run, to runs.log beside the script.
class FakeEncoder {
public:
    explicit FakeEncoder(const std::filesystem::path& programDir) : m_dir(programDir) {
        std::filesystem::create_directories(m_dir / "scenario");
        WriteFile((m_dir / "zezozov").string(), R"sh(#!/bin/sh
here=$(dirname "$0")
echo "$*" >> "$here/runs.log"
in="$1"; out="$3"
report() { echo "$1 $2"; read reply || reply=1; if [ "$reply" = 1 ]; then echo "stopped on request" >&2; exit 5; fi; }
produce() { printf 'converted' > "$out"; }
fail() { echo "$1" >&2; exit 4; }
eval "mode=\${$(($# - 1))}"
if [ "$mode" = 2 ]; then
  place=0
  while [ "$1" != -o ]; do
    in="$1"; shift
    report 7 $place
    scenario="$here/scenario/$(basename "$in")"
    ( [ -f "$scenario" ] && . "$scenario"; exit 0 ) 2>"$here/probe.err"
    status=$?
    [ $status = 5 ] && exit 5
    [ $status = 0 ] || report 8 "$place $(tail -n 1 "$here/probe.err")"
    place=$((place + 1))
  done
  exit 0
fi
scenario="$here/scenario/$(basename "$in")"
[ -f "$scenario" ] && . "$scenario"
exit 0
)sh");
        std::filesystem::permissions(m_dir / "zezozov", std::filesystem::perms::owner_all);
    }

    // The scenario of every input of that file name, in whatever folder.
    void Script(const std::string& inputName, const std::string& shellText) {
        WriteFile((m_dir / "scenario" / std::filesystem::path(inputName).filename()).string(), shellText + "\n");
    }

    // The arguments of every run so far, one entry a run.
    QStringList Runs() const {
        return QString::fromStdString(ReadFile((m_dir / "runs.log").string())).split('\n', Qt::SkipEmptyParts);
    }

private:
    std::filesystem::path m_dir;
};
