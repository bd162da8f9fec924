# The whole-process comparisons are scripts (compare_convert.sh, compare_batch.sh)
# run against a built kototsugi-cli; they need nothing built here.
