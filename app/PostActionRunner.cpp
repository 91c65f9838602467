// Post-creation actions.
