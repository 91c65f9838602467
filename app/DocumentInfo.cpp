// Document information of the job header.
