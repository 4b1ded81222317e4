# Linux s390x, big-endian, with the GNU cross compiler; tests run under
# qemu-user.
set(cross_processor s390x)
set(cross_triplet s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu-cross.cmake)
