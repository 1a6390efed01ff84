# The test files a unity tree compiles each on its own: a helper, a constant or a fixture of
# theirs takes a name that another file of their folder gives to something else (a batch may
# hold any eight files of a folder, so every pair must agree). A file leaves this list once its
# names are its own. To check a folder, compile all its files as one unit, for example:
#   printf '#include "%s"\n' $PWD/tests/nav/*.cpp > /tmp/nav.cxx
# with the flags of a test file of compile_commands.json and -fsyntax-only.
set(ZEPHLON_TESTS_COMPILED_ALONE
  tests/app/files_refused_run_test.cpp
  tests/app/hostile_formats_test.cpp
  tests/app/hostile_input_test.cpp
  tests/app/saves_run_test.cpp
  tests/app/session_signals_run_test.cpp
  tests/cockpit/cockpit_program_test.cpp
  tests/cockpit/cockpit_systems_test.cpp
  tests/cockpit/engine_readouts_run_test.cpp
  tests/cockpit/gps_buttons_test.cpp
  tests/cockpit/instruments_test.cpp
  tests/cockpit/nav_oracle_test.cpp
  tests/cockpit/nav_receivers_test.cpp
  tests/cockpit/panel_click_sweep_run_test.cpp
  tests/cockpit/panel_readings_run_test.cpp
  tests/core/lzh_stream_test.cpp
  tests/flight/flight_energy_test.cpp
  tests/flight/flight_step_test.cpp
  tests/gfx/bitmap_test.cpp
  tests/gfx/dd_surface_xvfb_test.cpp
  tests/gfx/font_test.cpp
  tests/nav/airports_runway_list_test.cpp
  tests/nav/approach_starts_run_test.cpp
  tests/nav/lat_lon_test.cpp
  tests/nav/runway_end_water_run_test.cpp
  tests/nav/surface_wind_run_test.cpp
  tests/sim/book_climb_run_test.cpp
  tests/sim/camera_projection_test.cpp
  tests/sim/cockpit_commands_test.cpp
  tests/sim/crash_and_gps_key_run_test.cpp
  tests/sim/first_flight_test.cpp
  tests/sim/flight_controls_test.cpp
  tests/sim/flight_figures_run_test.cpp
  tests/sim/fullscreen_xvfb_test.cpp
  tests/sim/horizon_run_test.cpp
  tests/sim/instrument_truth_run_test.cpp
  tests/sim/rising_ground_run_test.cpp
  tests/sim/speed_stability_run_test.cpp
  tests/sim/spine_fullscreen_test.cpp
  tests/sim/stall_held_run_test.cpp
  tests/sim/starter_display_test.cpp
  tests/sim/takeoff_run_test.cpp
  tests/tools/airports_data_test.cpp
  tests/win/dialog_manager_test.cpp
  tests/world/cloud_distance_run_test.cpp
  tests/world/coast_sweep_run_test.cpp
  tests/world/far_band_run_test.cpp
  tests/world/obj_shadow_test.cpp
  tests/world/scene_draw_test.cpp
)
