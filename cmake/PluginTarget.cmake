# The plug-in: juce_add_plugin makes the shared-code static library
# "Sonderlith" (linked by the VST3, the tests, the benchmarks and the tools, so
# JUCE compiles once per build folder) and the bundle target "Sonderlith_VST3".

# Pieces of the plug-in's code that the command's report writers use too:
# the theme's colours and fonts, and the preset files. Object libraries that
# use JUCE's headers only, compiled once and linked into each side, which
# brings its own JUCE.
file(GLOB SONDERLITH_FONT_FILES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/resources/fonts/*.ttf")
juce_add_binary_data(SonderlithFonts HEADER_NAME SonderlithFonts.h NAMESPACE SonderlithFonts SOURCES ${SONDERLITH_FONT_FILES})
set_target_properties(SonderlithFonts PROPERTIES POSITION_INDEPENDENT_CODE ON)
add_library(sonderlith_theme OBJECT ui_core/ThemeColours.cpp ui_core/Fonts.cpp)
target_include_directories(sonderlith_theme PUBLIC "${CMAKE_SOURCE_DIR}")
sonderlith_use_juce_headers(sonderlith_theme PUBLIC juce_core juce_events juce_data_structures juce_graphics)
target_link_libraries(sonderlith_theme PUBLIC SonderlithFonts)

# The preset reader checks its zlib streams itself (the toolkit's reader keeps
# whatever decoded before an error); it is the system's zlib the toolkit uses too.
find_package(ZLIB REQUIRED)
add_library(sonderlith_preset_files OBJECT
    persistence/SafeFileWrite.cpp
    persistence/TransferFunctionPreset.cpp
    persistence/ValueTreeStreamCheck.cpp)
target_include_directories(sonderlith_preset_files PUBLIC "${CMAKE_SOURCE_DIR}")
sonderlith_use_juce_headers(sonderlith_preset_files PUBLIC juce_core juce_events juce_data_structures)
target_link_libraries(sonderlith_preset_files PUBLIC ZLIB::ZLIB)

juce_add_plugin(Sonderlith
    COMPANY_NAME "Veltrasonic"
    PRODUCT_NAME "Sonderlith"
    VERSION "${PROJECT_VERSION}"
    PLUGIN_MANUFACTURER_CODE VLTR
    PLUGIN_CODE SDLT
    FORMATS VST3 LV2
    LV2URI "${SONDERLITH_MAKER_WEBSITE}/plugins/sonderlith"
    IS_SYNTH FALSE
    NEEDS_MIDI_INPUT FALSE
    NEEDS_MIDI_OUTPUT FALSE
    IS_MIDI_EFFECT FALSE
    EDITOR_WANTS_KEYBOARD_FOCUS TRUE
    COPY_PLUGIN_AFTER_BUILD FALSE
    VST3_CATEGORIES Fx
    NEEDS_CURL TRUE
    NEEDS_WEB_BROWSER FALSE)

target_sources(Sonderlith PRIVATE
    plugin/CaptureRing.cpp
    plugin/TransferFunctionTable.cpp
    plugin/PluginParameters.cpp
    plugin/PluginAudioProcessor.cpp
    dialogs/ArtistNameDialog.cpp
    dialogs/ArtistNameDialogOverlay.cpp
    dialogs/DialogStyles.cpp
    dialogs/ReleaseVersion.cpp
    dialogs/UpdateCheckDialog.cpp
    dialogs/UpdateCheckOverlay.cpp
    dialogs/UpdateCheckThread.cpp
    editor/EditorIcons.cpp
    editor/EditorStyles.cpp
    editor/PluginProcessorEditor.cpp
    persistence/FactoryOverrides.cpp
    persistence/PlatformFolders.cpp
    persistence/PresetManager.cpp
    persistence/UserSettings.cpp)

target_sources(Sonderlith PRIVATE
    ui_core/CaptionedValueLayout.cpp
    ui_core/ComboBoxPopupLookAndFeel.cpp
    ui_core/IconButton.cpp
    ui_core/InlineComboBox.cpp
    ui_core/LitBlockMap.cpp
    ui_core/MultiLayerLogoButton.cpp
    ui_core/NumberBox.cpp
    ui_core/OpenMenuTracker.cpp
    ui_core/Rotary3DKnob.cpp
    ui_core/RoundStroke.cpp
    ui_core/ScaleDisplay.cpp
    ui_core/SliderTextEntry.cpp
    ui_core/SliderValueText.cpp
    ui_core/SmoothingDisplay.cpp
    ui_core/TextButton.cpp
    ui_core/TextEditor.cpp
    ui_core/TextLabel.cpp
    ui_core/ThemeOverlayPanel.cpp
    ui_core/TooltipDisplayPanel.cpp
    ui_core/ValueDisplay.cpp
    ui_core/VerdictLine.cpp
    ui_core/DesignTokens.cpp
    ui_core/GlowLayer.cpp
    ui_core/GlowSpillOverlay.cpp
    ui_core/PlotFeedBuilders.cpp
    ui_core/WaveformVisualizer.cpp
    ui_core/PhosphorBlur.cpp
    ui_core/WarningOverlayPanel.cpp
    ui_panels/ControlsPanel.cpp
    ui_panels/HorizontalStrip.cpp
    ui_panels/InlineComboBoxAttachment.cpp
    ui_panels/MenuPanel.cpp
    ui_panels/ScaleControlsPanel.cpp
    ui_panels/SmoothingControlsPanel.cpp)

target_link_libraries(Sonderlith PRIVATE sonderlith_theme sonderlith_preset_files)
# The fit's verdict, judged as the command judges recordings.
target_link_libraries(Sonderlith PUBLIC sonderlith_engine_core)

# Transport, save and logo artwork (SVG, black or currentColor for recolouring).
file(GLOB SONDERLITH_ICON_FILES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/resources/icons/*.svg")
juce_add_binary_data(SonderlithIcons HEADER_NAME SonderlithIcons.h NAMESPACE SonderlithIcons SOURCES ${SONDERLITH_ICON_FILES})
set_target_properties(SonderlithIcons PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_link_libraries(Sonderlith PRIVATE SonderlithIcons)

target_include_directories(Sonderlith PUBLIC "${CMAKE_SOURCE_DIR}")

target_compile_definitions(Sonderlith PUBLIC
    JUCE_USE_CURL=1
    JUCE_VST3_CAN_REPLACE_VST2=0
    ${SONDERLITH_JUCE_SETTINGS})

target_link_libraries(Sonderlith
    PRIVATE
        juce::juce_recommended_config_flags
        juce::juce_recommended_warning_flags
        juce::juce_audio_basics
        juce::juce_audio_processors
        juce::juce_core
        juce::juce_data_structures
        juce::juce_events
        juce::juce_graphics
        juce::juce_gui_basics
    PUBLIC
        sonderlith_dsp
        sonderlith_release)

# Tests, benchmarks and tools link the plug-in's code through this target.
sonderlith_expose_juce_usage(sonderlith_shared Sonderlith
    juce_audio_basics juce_audio_processors juce_core juce_data_structures juce_events
    juce_graphics juce_gui_basics juce_gui_extra juce_audio_plugin_client)

if(SONDERLITH_LTO)
    target_link_libraries(Sonderlith PRIVATE juce::juce_recommended_lto_flags)
endif()

# Debian's toolkit gives the LV2 wrapper a default URI (the bare product name)
# before the generated one is read; the real URI is defined up front instead.
get_target_property(SONDERLITH_LV2_URI Sonderlith JUCE_LV2URI)
target_compile_definitions(Sonderlith_LV2 PRIVATE "JucePlugin_LV2URI=\"${SONDERLITH_LV2_URI}\"")
# After the toolkit's own step that writes the description.
add_custom_command(TARGET Sonderlith_LV2 POST_BUILD
    COMMAND "${CMAKE_COMMAND}" "-DDESCRIPTION=$<TARGET_FILE_DIR:Sonderlith_LV2>/dsp.ttl" -P "${CMAKE_SOURCE_DIR}/cmake/MarkLv2SideChain.cmake"
    VERBATIM)

get_target_property(SONDERLITH_LV2_BUNDLE Sonderlith_LV2 JUCE_PLUGIN_ARTEFACT_FILE)
set(SONDERLITH_LV2_INSTALL_DIR "$ENV{HOME}/.lv2" CACHE PATH "Where installing puts Sonderlith.lv2")
install(DIRECTORY "${SONDERLITH_LV2_BUNDLE}" DESTINATION "${SONDERLITH_LV2_INSTALL_DIR}"
    USE_SOURCE_PERMISSIONS COMPONENT plugin)

get_target_property(SONDERLITH_VST3_BUNDLE Sonderlith_VST3 JUCE_PLUGIN_ARTEFACT_FILE)
set(SONDERLITH_VST3_INSTALL_DIR "$ENV{HOME}/.vst3" CACHE PATH "Where installing puts Sonderlith.vst3")
install(DIRECTORY "${SONDERLITH_VST3_BUNDLE}" DESTINATION "${SONDERLITH_VST3_INSTALL_DIR}"
    USE_SOURCE_PERMISSIONS COMPONENT plugin)
