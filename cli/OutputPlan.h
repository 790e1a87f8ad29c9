// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CommandLine.h"
#include "formats/FileFormats.h"

#include <string>
#include <vector>

// One input and the file it becomes. A job with a refusal is not converted;
// the refusal is reported as its failure.
struct ConversionJob
{
    std::string input;
    std::string output;
    std::string refusal;
};

struct OutputPlan
{
    FileFormat target = FileFormat::Bmp;
    std::vector<ConversionJob> jobs;
};

// Works out the target format and each input's output file: OUTPUT itself
// for one input, or OUTPUT/<input's base name>.<extension> when OUTPUT is a
// folder. False with a usage message when that cannot be done.
bool PlanOutputs(const CommandLine& commandLine, OutputPlan& plan, std::string& error);
