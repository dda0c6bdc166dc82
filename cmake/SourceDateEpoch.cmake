# QUILLET_SOURCE_DATE_EPOCH: the time that the Windows artifacts carry in
# place of the time of the build (the DLL's PE header, the type library, the
# installer), in seconds since 1970, so that two builds of one commit give
# the same bytes. The first of:
#   - the environment's SOURCE_DATE_EPOCH, as every reproducible build honours it;
#   - packaging/source-date-epoch, which `git archive` fills with the commit's
#     time (export-subst in .gitattributes); in a checkout it holds a placeholder;
#   - the time of the commit checked out (git log -1 --format=%ct);
#   - 0 (1 January 1970), with a warning: sources copied without git still
#     build the same bytes as each other, only with a time that says nothing.

# git_head_files(OUT): the files that change when a commit is checked out or
# made: HEAD, and the branch that it names while that is a loose ref.
function(git_head_files out)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path HEAD --symbolic-full-name HEAD
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE lines OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  string(REPLACE "\n" ";" lines "${lines}")
  list(LENGTH lines count)
  if(NOT count EQUAL 2)
    return()
  endif()
  list(GET lines 0 head)
  list(GET lines 1 branch)
  execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --git-path ${branch}
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE branch_file OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(files)
  foreach(file IN ITEMS ${head} ${branch_file})
    get_filename_component(file ${file} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
    if(EXISTS ${file} AND NOT IS_DIRECTORY ${file})
      list(APPEND files ${file})
    endif()
  endforeach()
  set(${out} ${files} PARENT_SCOPE)
endfunction()

set(epoch_file ${PROJECT_SOURCE_DIR}/packaging/source-date-epoch)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${epoch_file})
file(STRINGS ${epoch_file} archived_epoch LIMIT_COUNT 1)
find_package(Git QUIET)

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(QUILLET_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
  set(epoch_origin "SOURCE_DATE_EPOCH")
  if(NOT QUILLET_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH is \"$ENV{SOURCE_DATE_EPOCH}\", not a number of seconds since 1970.")
  endif()
elseif(archived_epoch MATCHES "^[0-9]+$")
  set(QUILLET_SOURCE_DATE_EPOCH ${archived_epoch})
  set(epoch_origin "packaging/source-date-epoch")
elseif(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                  OUTPUT_VARIABLE QUILLET_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  set(epoch_origin "the commit's time")
  # A new commit is a new time: the next build configures again.
  git_head_files(head_files)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${head_files})
endif()

if(NOT QUILLET_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
  message(WARNING "The time of the sources is unknown: this is neither a git checkout nor an archive made "
                  "by git archive. The Windows artifacts carry 1 January 1970; set SOURCE_DATE_EPOCH "
                  "(seconds since 1970) to the time of the sources' commit instead.")
  set(QUILLET_SOURCE_DATE_EPOCH 0)
  set(epoch_origin "unknown")
endif()
message(STATUS "Time of the sources: ${QUILLET_SOURCE_DATE_EPOCH} (${epoch_origin})")
