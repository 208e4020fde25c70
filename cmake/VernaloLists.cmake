# What the documents' readers and the export's formats share: one folder and one library per
# member, and a list the build makes of them from one line each.

# Adds every folder below the current one that has a CMakeLists.txt.
macro(vernalo_add_folders)
  file(GLOB _vernalo_folders LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(_vernalo_folder IN LISTS _vernalo_folders)
    if(EXISTS ${_vernalo_folder}/CMakeLists.txt)
      add_subdirectory(${_vernalo_folder})
    endif()
  endforeach()
endmacro()

# Writes OUTPUT, a source defining `std::span<const TYPE* const> FUNCTION()` over OBJECTS in
# their order, each an `extern const TYPE` of some library's, after including HEADER.
function(vernalo_write_list)
  cmake_parse_arguments(L "" "OUTPUT;HEADER;TYPE;FUNCTION" "OBJECTS" ${ARGN})
  file(RELATIVE_PATH from ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(declared "")
  set(listed "")
  foreach(object IN LISTS L_OBJECTS)
    string(APPEND declared "extern const ${L_TYPE} ${object};\n")
    string(APPEND listed "        &${object},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${L_OUTPUT} @ONLY CONTENT
"// Made by the build from the list in @from@/CMakeLists.txt.
#include \"@L_HEADER@\"

namespace vernalo {

@declared@
std::span<const @L_TYPE@* const> @L_FUNCTION@() {
    static constexpr const @L_TYPE@* kList[] = {
@listed@    };
    return kList;
}

}  // namespace vernalo
")
endfunction()
