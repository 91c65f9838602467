// Engine library binding.
