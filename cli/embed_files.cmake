# Writes a C++ source that holds the bytes of the example files, so that
# `zelta demo` needs nothing beside the executable.
#   cmake -DOUTPUT=file.cpp -DSOURCE_DIR=dir -DFILES="name=dest|..." -P embed_files.cmake
# Each entry names a file in SOURCE_DIR and the path the demo writes it to.
string(REPLACE "|" ";" FILES "${FILES}")
set(body "")
set(table "")
set(index 0)
foreach(entry IN LISTS FILES)
  string(REPLACE "=" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 destination)
  file(READ "${SOURCE_DIR}/${name}" hex HEX)
  string(LENGTH "${hex}" hexLength)
  math(EXPR size "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND body "const unsigned char kFile${index}[] = {\n${bytes}0};\n")
  string(APPEND table "    {\"${destination}\", std::string_view(reinterpret_cast<const char*>(kFile${index}), ${size})},\n")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE "${OUTPUT}.tmp" "// Generated from examples/ by cli/embed_files.cmake; do not edit.
#include \"cli/example_files.h\"

namespace zelta {
namespace {
${body}}  // namespace

const std::vector<ExampleFile>& ExampleFiles() {
  static const std::vector<ExampleFile> files = {
${table}  };
  return files;
}

}  // namespace zelta
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
