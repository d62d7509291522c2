# Embeds a file's bytes into a generated source (see EmbedFile.cmake) and
# returns its path in out_var. Rebuilt whenever the file changes.
function(vantorel_embed_file input symbol out_var)
  set(output ${CMAKE_CURRENT_BINARY_DIR}/embedded/${symbol}.cpp)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DSYMBOL=${symbol}
            -P ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    DEPENDS ${input} ${CMAKE_SOURCE_DIR}/cmake/EmbedFile.cmake
    COMMENT "Embedding ${input}" VERBATIM)
  set(${out_var} ${output} PARENT_SCOPE)
endfunction()
