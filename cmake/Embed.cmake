# morvane_embed(<out.cpp> <symbol> <input file>)
# Generates a C++ source that defines
#   extern const std::span<const std::uint8_t> <symbol>;
# holding the input file's bytes, regenerated whenever the input changes.
function(morvane_embed out_cpp symbol input)
  add_custom_command(
    OUTPUT ${out_cpp}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${out_cpp} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${input} as ${symbol}"
    VERBATIM)
endfunction()
