// The preview's printed lines, built from the passes' results.
#include "preview/preview_report.h"

#include "core/console.h"
#include "core/route_writer.h"
#include "preview/number_text.h"

namespace preview {

namespace {

// "25 m", the distance as the command line gave it.
std::string within_text(const PreviewSettings& run) { return std::string(run.within_text) + " m"; }

std::string waypoint_name(int number) {
    char name[core::waypoint_name_size];
    return std::string(name, core::format_waypoint_name(name, number));
}

void print_deviation(const RouteMeter& drawn) {
    print_line("Largest deviation: " + fixed_text(largest_deviation_m(drawn), 1) + " m at track point " +
               std::to_string(drawn.worst_point) + ", between " + waypoint_name(drawn.worst_leg) + " and " +
               waypoint_name(drawn.worst_leg + 1));
}

}  // namespace

void print_line(const std::string& text) {
    core::print_text(text.c_str());
    core::print_text("\n");
}

void print_track_figures(const char* track_path, const PassState& state) {
    const Survey& survey = state.survey;
    print_line(std::string("Track file: ") + track_path + " (" + state.format->name + ", as " +
               state.format->converter + " reads it)");
    print_line("Points read: " + std::to_string(survey.points_read));
    print_line("Track length: " + fixed_text(survey.track_length_m, 1) + " m");
}

void print_sweep(const PreviewSettings& run, const PassState& state, const std::string& track_on_command_line) {
    std::string options = threshold_options(run.limits);
    print_line("Sweep of /a and /e with " + options.substr(0, options.find(" /a")) + ", from fine to coarse:");
    print_line(" waypoints  deviation  converter command line");
    for (int i = 1; i < first_grid_thinning; ++i) {
        const core::Thinning& t = state.surveyed[i];
        std::string row = integer_text(t.waypoint_count, 10, false);
        row += "  " + fixed_text(largest_deviation_m(state.route_meters[i]), 1, 7);
        print_line(row + " m  " + converter_command(state.format->converter, track_on_command_line, t.limits));
    }
}

void print_no_fit(const PreviewSettings& run, bool any_in_budget) {
    if (run.within_m == 0 || !any_in_budget)
        print_line("No setting gives at most " + std::to_string(run.fit_budget) + " waypoints!");
    else
        print_line("No setting keeps the route within " + within_text(run) + "!");
}

std::string fit_note(const PreviewSettings& run) {
    std::string note = "Fitted to";
    if (run.fit_budget > 0) note += " at most " + std::to_string(run.fit_budget) + " waypoints";
    if (run.fit_budget > 0 && run.within_m > 0) note += ",";
    if (run.within_m > 0) note += " within " + within_text(run);
    return note;
}

void print_outcome(const PreviewSettings& run, int waypoint_count, const RouteMeter& drawn) {
    if (run.fit_budget == 0 && run.within_m == 0) {
        print_line("Waypoints: " + std::to_string(waypoint_count));
    } else {
        std::string line = "Fit: " + std::to_string(waypoint_count) + " waypoints";
        if (run.fit_budget > 0) line += ", at most " + std::to_string(run.fit_budget);
        if (run.within_m > 0) line += ", within " + within_text(run);
        print_line(line);
    }
    print_deviation(drawn);
}

std::string closest_text(const ClosestSearch& search) {
    return std::string("closest route within ") + search.fitting_text + " m";
}

void print_no_closest_route(const PreviewSettings& run) {
    if (run.within_m > 0)
        print_line("No closest route within " + within_text(run) + " has at most " + std::to_string(run.fit_budget) +
                   " waypoints!");
    else
        print_line("No closest route has at most " + std::to_string(run.fit_budget) + " waypoints!");
}

void print_closest_outcome(const PreviewSettings& run, const ClosestSearch& search, const RouteMeter& drawn) {
    std::string line = "Closest route: " + std::to_string(search.fitting_count) + " waypoints";
    if (run.fit_budget > 0) line += ", at most " + std::to_string(run.fit_budget);
    print_line(line + ", within " + search.fitting_text + " m");
    print_deviation(drawn);
}

std::string closest_command(const ClosestSearch& search, const std::string& track_path,
                            const core::RunSettings& limits) {
    return std::string("rt2preview --closest --within ") + search.fitting_text + ' ' + track_path + " --write " +
           limits.forward_path + ' ' + limits.backward_path;
}

}  // namespace preview
