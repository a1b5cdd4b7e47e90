// A console reporter that keeps each benchmark's time per iteration, so that a bench can print
// ratios against its baseline after the table.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Times;
    void ReportRuns(const std::vector<Run>& Runs) override
    {
        for (const Run& R : Runs)
            if (R.run_type == Run::RT_Iteration || R.aggregate_name == "mean")
                Times[R.run_name.function_name] = R.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(Runs);
    }
};
