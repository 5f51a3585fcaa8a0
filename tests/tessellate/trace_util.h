// Reading the engine's call trace in the tessellation tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "engine/engine_trace.h"

namespace testhost {

struct TraceCall {
    std::string name;
    std::vector<std::string> args; // as printed, scene first
    std::string result;
    std::string line;
};

inline TraceCall parseTraceLine(const std::string& line) {
    TraceCall call;
    call.line = line;
    const size_t open = line.find('(');
    const size_t arrow = line.rfind(" -> ");
    call.name = line.substr(0, open);
    call.result = arrow == std::string::npos ? "" : line.substr(arrow + 4);
    const size_t close = line.rfind(')', arrow);
    std::string args = line.substr(open + 1, close - open - 1);
    for (size_t start = 0; !args.empty();) {
        size_t comma = args.find(", ", start);
        call.args.push_back(args.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 2;
    }
    return call;
}

inline std::vector<TraceCall> traceCalls() {
    std::vector<TraceCall> calls;
    for (const std::string& line : engine::TraceLines())
        calls.push_back(parseTraceLine(line));
    return calls;
}

// The lines of the trace whose function name is one of `names`.
inline std::vector<std::string> traceLinesOf(const std::vector<std::string>& names) {
    std::vector<std::string> lines;
    for (const TraceCall& call : traceCalls())
        for (const std::string& name : names)
            if (call.name == name)
                lines.push_back(call.line);
    return lines;
}

// The CSG tree behind the last handle-returning call, written as
// CSG(op, left, right), P(operand) for CreateCSGPrim and the shape's name
// (Box, Sphere ...) for the other constructors.
inline std::string lastCsgExpression() {
    std::map<std::string, std::string> expr;
    std::string last;
    for (const TraceCall& call : traceCalls()) {
        if (call.name.rfind("Create", 0) != 0 || call.result.empty() || call.result[0] != 'P')
            continue;
        auto of = [&](const std::string& label) {
            auto it = expr.find(label);
            return it == expr.end() ? "?" + label : it->second;
        };
        if (call.name == "CreateCSGPrim")
            expr[call.result] = "P(" + of(call.args.at(1)) + ")";
        else if (call.name == "CreateCSG")
            expr[call.result] = "CSG(" + call.args.at(1) + ", " + of(call.args.at(2)) + ", " +
                                of(call.args.at(3)) + ")";
        else
            expr[call.result] = call.name.substr(6);
        last = call.result;
    }
    return last.empty() ? "" : expr[last];
}

} // namespace testhost
